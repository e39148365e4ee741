#pragma once

#include <QString>
#include <optional>

namespace kabel {

// The directory the app ships its resources in (the tools under bin/, for example):
// <executable's directory>/../share/sondit-kabel on Linux and Windows, the bundle's
// Contents/Resources on macOS. None when that directory does not exist. Needs a QCoreApplication.
std::optional<QString> ressourcenVerzeichnis();

} // namespace kabel
