// libFuzzer target: what the shell namespace takes from outside, checking
// what its users rely on. The first byte picks the reader.

#include "controls/shell/FcShellLocatorStream.h"
#include "platform/shell/idlist.h"
#include "platform/shell/mounts.h"
#include "platform/shell/shell_data.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// A list that passed the validator can be taken apart and put together.
void CheckList(const vdx::shell::IdList& list) {
    Check(list.Size() >= 2 && list.Size() <= vdx::shell::kMaxIdListSize);
    const std::size_t n = list.ItemCount();
    vdx::shell::IdList rebuilt;
    for (std::size_t i = 0; i < n; ++i) {
        const vdx::shell::ItemBytes item = list.Item(i);
        Check(vdx::shell::IsValidItem(item));
        if (const auto facts = vdx::shell::ReadFileItem(item))
            Check(vdx::shell::MakeFileItem(*facts) ==
                  std::vector<std::uint8_t>(item.begin(), item.end()));
        rebuilt.Append(item);
    }
    Check(rebuilt == list);
    Check(list.WithoutLast() + list.Last() == list || n == 0);
    Check(vdx::shell::IdList::FromBytes(list.Bytes()) == list);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::span<const std::uint8_t> input(data + 1, size - 1);
    switch (data[0] % 6) {
    case 0:
        if (const auto list = vdx::shell::IdList::FromBytes(input))
            CheckList(*list);
        break;
    case 1: {
        const vdx::TFcStoredLocation location = vdx::DecodeLocation(input);
        Check(location.Kind <= 1);
        if (location.List) {
            Check(location.Kind == 0);
            CheckList(*location.List);
            // Stored again, it reads back the same.
            const vdx::TFcStoredLocation again = vdx::DecodeLocation(vdx::EncodeLocation(location));
            Check(again.List == location.List);
        }
        break;
    }
    case 3:
        // An array that parsed is built again to a block that parses the same.
        if (const auto array = vdx::shell::ParseIdListArray(input)) {
            Check(!array->Items.empty());
            CheckList(array->Parent);
            for (const auto& item : array->Items)
                CheckList(item);
            Check(vdx::shell::ParseIdListArray(
                      vdx::shell::BuildIdListArray(array->Parent, array->Items)) == array);
        }
        break;
    case 4: {
        // Paths taken are absolute, hold no NUL and survive a round trip.
        const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
        const auto paths = vdx::shell::ParseUriList(text);
        for (const auto& p : paths)
            Check(!p.empty() && p.front() == '/' && p.find('\0') == std::string::npos);
        Check(vdx::shell::ParseUriList(vdx::shell::BuildUriList(paths)) == paths);
        break;
    }
    case 5: {
        const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
        if (const auto files = vdx::shell::ParseGnomeCopiedFiles(text))
            Check(vdx::shell::ParseGnomeCopiedFiles(
                      vdx::shell::BuildGnomeCopiedFiles(files->second, files->first)) == files);
        break;
    }
    default: {
        const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
        const auto volumes = vdx::shell::SelectVolumes(vdx::shell::ParseMountInfo(text));
        Check(!volumes.empty() && volumes.front().MountPoint == "/");
        for (const auto& v : volumes)
            Check(!v.MountPoint.empty() && v.MountPoint.front() == '/');
        break;
    }
    }
    return 0;
}
