// The starting show a maker gets from orvane-new-show: one Qel file with two
// scenes, its model and texture, the three definition tables, the effects it
// needs and the music, all below DIR/data. Does not: play or check the show.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace orvane::newshow {

// The shipped show's data folder (for the fixed effects and the default texture)
// as seen from a program in `programFolder`: beside it (a build tree), in the
// prefix seen from it, then in the prefix it was built for.
std::optional<std::filesystem::path> findShippedData(const std::filesystem::path& programFolder,
                                                     const std::filesystem::path& installedData);

// The length in seconds of an Ogg Vorbis or WAV file; nothing (with `error`, one
// line naming the file) when it is neither or holds no sound.
std::optional<double> musicSeconds(const std::filesystem::path& file, std::string& error);

// How long the generated track lasts: eight bars of the engine's own music.
inline constexpr double kGeneratedSeconds = 16.0;

// Writes the show into `folder` (made when missing; refused when it holds
// anything). `music` is copied as data/air.ogg, or a track is generated. Empty
// on success, else the one-line reason.
std::string writeNewShow(const std::filesystem::path& folder, const std::optional<std::filesystem::path>& music,
                         const std::filesystem::path& shippedData);

}  // namespace orvane::newshow
