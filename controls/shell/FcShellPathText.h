#pragma once
// A folder path shortened to a width with an ellipsis in place of its
// leading folders, as the select-folder form's status bar shows it:
// /home/Program Files/Tools/Ftp, then /.../Tools/Ftp, /.../Ftp, .../Ftp, and
// at last Ftp alone.

#include "platform/gui/canvas.h"

#include <functional>
#include <string>
#include <string_view>

namespace vdx {

// dir ("/a/b/", ".../b/", "/.../b/") without its first folder, an ellipsis
// in its place: "/.../b/", ".../", ""; "/" gives "".
std::string DropFirstFolder(std::string_view dir);
// path with leading folders dropped until width(result) is at most
// maxWidth, or nothing is left to drop.
std::string ShortenPathToWidth(const std::string& path, int maxWidth,
                               const std::function<int(std::string_view)>& width);
// The same measured on canvas in its font.
std::string ShortenPathToWidth(const std::string& path, const gui::TCanvas& canvas, int maxWidth);

} // namespace vdx
