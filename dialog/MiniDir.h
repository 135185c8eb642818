#pragma once
// The display path of a folder in the dialog's read-only path fields: the
// path shortened from the left, one folder at a time, until it fits the
// field ("/home/ann/Pictures" can become "/.../ann/Pictures", ".../Pictures"
// or "Pictures"). Paths are UTF-8 and are only ever cut at a '/', so a
// multi-byte character is never split.
#include <functional>
#include <string>
#include <vector>

namespace slidora {

// Width in pixels of a UTF-8 text in the measuring font.
using TextWidth = std::function<int(const std::string&)>;

// How paths are written: Posix ("/home/ann/Pictures") or Windows, with a
// drive ("C:\Users\ann\Pictures"), where the drive is the last part to go
// and a colon also ends the folder part ("C:name").
enum class PathStyle { Posix, Windows };
#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::Windows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::Posix;
#endif

// Every form the shortening passes through, from `path` itself to the bare
// last component: each step cuts the first remaining folder and puts "..."
// in its place.
std::vector<std::string> shorteningSteps(const std::string& path,
                                         PathStyle style = kNativePathStyle);

// The path-minimising rule for one limit: the first shortening step whose
// width is at most `limitPx`, or the bare last component when none is.
std::string shortenedName(const std::string& path, const TextWidth& width, int limitPx,
                          PathStyle style = kNativePathStyle);

// The display path for a field `fieldWidthPx` wide. A trailing separator is
// dropped (a root, "/" or a drive root, keeps it). A path with a folder part is always shortened by
// at least one step, even when it would fit. When even the bare last component is as wide as the
// field, that component is the result (the field clips it); the root "/" shows as itself.
std::string MiniDir(const std::string& path, const TextWidth& width, int fieldWidthPx,
                    PathStyle style = kNativePathStyle);

} // namespace slidora
