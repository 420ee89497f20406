// Writing the remembered settings back into the per-user preferences file, leaving every
// other element and all other text as it stands.
#include "core/globals.h"
#include "core/io.h"
#include "text/parser.h"
#include "universe/universe.h"

int Universe::UpdatePrefsFile() {
    return Guarded("universe:Universe.UpdatePrefsFile() ", 0, [&] {
        const std::string path = g_userPath + "data/prefs.xml";
        std::string prefs = ReadFileToString(path, 0);
        // Nothing to update in: writing would only empty the file, and with it the
        // settings that are never written back.
        if (prefs.empty()) return 0;

        UpdateTagInXML(prefs, "language", g_language);
        UpdateTagInXML(prefs, "soundVolume", FloatToText(g_sfxVolume));
        UpdateTagInXML(prefs, "musicVolume", FloatToText(g_musicVolume));
        UpdateTagInXML(prefs, "isFullscreen", IntToText(g_isFullscreen));
        UpdateTagInXML(prefs, "screenWidth", IntToText(g_ScreenWidth));
        UpdateTagInXML(prefs, "screenHeight", IntToText(g_ScreenHeight));
        UpdateTagInXML(prefs, "isFastComputer", IntToText(g_isFastComputer));

        // A player with a password is never chosen automatically at the next start.
        // Without a current player or pack the remembered name stays as it was.
        if (currentPlayerIndex >= 0 && static_cast<size_t>(currentPlayerIndex) < playersArray.size()) {
            Player& player = Deref(playersArray[static_cast<size_t>(currentPlayerIndex)]);
            UpdateTagInXML(prefs, "currentPlayerName", player.TestPassword("") == 1 ? player.name : kDefaultPlayerName);
        }
        if (currentPackIndex >= 0 && static_cast<size_t>(currentPackIndex) < packsArray.size()) {
            UpdateTagInXML(prefs, "currentPackName", Deref(packsArray[static_cast<size_t>(currentPackIndex)]).saveName);
        }

        UpdateTagInXML(prefs, "maxParticles", IntToText(g_maxParticles));
        UpdateTagInXML(prefs, "useBallTrails", IntToText(g_useBallTrails));

        WriteStringToFile(prefs, path, 0);
        return 0;
    });
}
