#pragma once

#include <QString>

// Everything that differs between the system the scripts were written on
// (backslashes, case-insensitive names) and the one we run on lives here.

// Script-given paths may use "\" or "/"; we work with "/".
QString NormalizeSeparators(const QString& path);

// The path of an existing file or folder that matches `path` when each
// component is compared ignoring letter case; `path` (with normalised
// separators) when nothing matches.
QString ResolvePathIgnoringCase(const QString& path);

// True when the path names an existing regular file, letter case ignored.
bool FileExistsIgnoringCase(const QString& path);

// The per-user application data folder of the platform (on Linux
// $XDG_DATA_HOME, by default ~/.local/share), without a trailing separator;
// empty when it cannot be determined.
QString UserDataFolder();
