// The fields a type binds to its tags (text/xmlfields.h), put to the test: an element giving
// every bound tag a value no field bound to it starts with, read into a piece and cloned, must
// leave each field changed by the read and carried by the clone.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <type_traits>

#include "text/xmlfields.h"

namespace bound_fields {

// A field's value as text, as a loader would read it back.
inline std::string AsText(int value) { return IntToText(value); }
inline std::string AsText(float value) { return FloatToText(value); }
inline std::string AsText(const std::string& value) { return value; }

// The round'th choice of a value for a field of this kind. Texts are "body", the name the
// fixtures give the sprite, ball and brick a piece may look up by name.
inline void Choose(int& value, int round) { value = 7 + round; }
inline void Choose(float& value, int round) { value = 2.5f + static_cast<float>(round); }
inline void Choose(std::string& value, int round) { value = round == 0 ? "body" : "body" + IntToText(round); }

// Every bound tag once, each with a value that every field bound to it (a tag may set two)
// does not start with in fresh.
template <class T, class... Members>
std::string EveryTag(const T& fresh, const XmlFields<Members...>& list) {
    std::string element;
    std::set<std::string> given;
    ForEachXmlField(list, [&](const auto& field) {
        if (!given.insert(field.tag).second) return;
        std::remove_cvref_t<decltype(fresh.*field.member)> value;
        for (int round = 0;; ++round) {
            Choose(value, round);
            bool clash = false;
            ForEachXmlField(list, [&](const auto& other) {
                if constexpr (std::is_same_v<decltype(fresh.*other.member), decltype(fresh.*field.member)>) {
                    clash = clash || (std::string(other.tag) == field.tag && fresh.*other.member == value);
                }
            });
            if (!clash) break;
        }
        element += GetXMLfromData(field.tag, AsText(value), 0);
    });
    return element;
}

template <class T, class... Members>
void ExpectReadAndCloned(const T& fresh, const T& loaded, const T& clone, const XmlFields<Members...>& list) {
    ForEachXmlField(list, [&](const auto& field) {
        EXPECT_NE(loaded.*field.member, fresh.*field.member) << "<" << field.tag << "> was not read";
        EXPECT_EQ(clone.*field.member, loaded.*field.member) << "<" << field.tag << "> was not cloned";
    });
}

template <class T>
void UnlinkIfAny(T& piece) {
    if constexpr (requires { piece.Unlink(); }) piece.Unlink();
}

// One piece read by load from an element giving every tag of the lists (and extraTags), and a
// fresh piece made its copy by clone: each bound field is read, and carried by the copy.
template <class T, class Load, class Clone, class... Lists>
void ExpectEveryBoundField(const std::string& element, const std::string& extraTags, Load load, Clone clone,
                           const Lists&... lists) {
    const auto fresh = std::make_shared<T>();
    const auto loaded = std::make_shared<T>();
    const auto copy = std::make_shared<T>();
    std::string tags = extraTags;
    ((tags += EveryTag(*fresh, lists)), ...);
    load(*loaded, GetXMLfromData(element, tags, 1));
    clone(*copy, loaded);
    (ExpectReadAndCloned(*fresh, *loaded, *copy, lists), ...);
    UnlinkIfAny(*fresh);
    UnlinkIfAny(*loaded);
    UnlinkIfAny(*copy);
}

}  // namespace bound_fields
