#pragma once
// Item lists of test folders and the data a drag of their items carries,
// for the shell tests that drag and drop.

#include "controls/shell/FcShellDragDrop.h"
#include "platform/shell/shell_folder.h"

#include <QMimeData>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vdx::test {

inline IdList ListOf(const std::string& path) {
    IdList list;
    EXPECT_EQ(shell::ParsePath(path, list), shell::S_OK) << path;
    return list;
}

// The data a drag of items of one folder (given with its trailing slash)
// carries.
inline std::unique_ptr<QMimeData> DataOf(const std::string& folder,
                                         const std::vector<std::string>& names) {
    std::vector<IdList> items;
    for (const std::string& n : names)
        items.push_back(ListOf(folder + n).Last());
    return TDataObject_shlv(ListOf(folder.substr(0, folder.size() - 1)), items).MimeData();
}

} // namespace vdx::test
