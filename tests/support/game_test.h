// The fixture every test of the game's state builds on: each test starts, and leaves, with the
// process as a fresh start has it, and gets a scratch folder when it asks for one.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/globals.h"
#include "platform/graphics.h"
#include "platform/input.h"
#include "platform/runtime.h"
#include "support/scratch_folder.h"
#include "support/support.h"

class GameTest : public ::testing::Test {
protected:
    // Derived fixtures call these first (SetUp) and last (TearDown) when they override them. A
    // test may call them again between its cases.
    void SetUp() override {
        if (savedFolders_.empty()) {
            for (const char* name : kFolderVariables) {
                const char* value = getenv(name);
                savedFolders_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
            }
        }
        ResetGameState();
    }
    void TearDown() override {
        ResetGameState();
        for (size_t i = 0; i < savedFolders_.size(); ++i) {
            if (savedFolders_[i]) {
                setenv(kFolderVariables[i], savedFolders_[i]->c_str(), 1);
            } else {
                unsetenv(kFolderVariables[i]);
            }
        }
        savedFolders_.clear();
    }

    // A fresh folder for this test, made on first use and removed with everything in it after
    // the test; without a trailing "/".
    const std::string& ScratchPath() {
        if (!scratch_) scratch_ = std::make_unique<ScratchFolder>();
        return scratch_->path();
    }

    // Every core global at its start value with InitGlobals free to run again, the debug log
    // empty, the headless backend with nothing recorded and no input or hooks pending, the
    // real clock, and the random numbers of a fresh start. The globals of the floors above core
    // (the master mixer, the floating texts, the universe) are set and cleared by the fixtures
    // that use them.
    static void ResetGameState() {
        SetBackend(Backend::Headless);
        ResetGlobals();
        ClearDebugLog();
        StopRecording();
        ResetInput();
        SetNotifyHook(nullptr);
        SetTestClockHook(nullptr);
        UseRealClock();
        SeedRnd(kStartSeed);
    }

    static constexpr int kStartSeed = 0x1234;  // the generator's seed when the program starts

private:
    // A test may point the per-user and data folders elsewhere; they are put back after it.
    static constexpr const char* kFolderVariables[] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_DATA_DIRS",
                                                       "BX2_DATA_DIR"};

    std::vector<std::optional<std::string>> savedFolders_;
    std::unique_ptr<ScratchFolder> scratch_;
};
