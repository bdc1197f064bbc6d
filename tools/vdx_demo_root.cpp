// Lays out a demo install root: the server's folder with "Settings.xml" and
// "Users.xml", the two product trees, and an upload folder for the teletext
// user. Prints one "<name> <password>" line per login to stdout.
//
//   vdx_demo_root ROOT [--port N] [--force]
//
// An existing "Users.xml" is kept (its two logins are printed) unless --force.

#include "ftpengine/VFGlobals.h"
#include "platform/os/paths.h"
#include "shared/VardexUsersXML.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

struct Options {
    std::string root;
    int port = 2121;
    bool force = false;
};

std::optional<Options> ParseArgs(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--force") {
            options.force = true;
        } else if (arg == "--port" && i + 1 < argc) {
            const std::string text = argv[++i];
            std::size_t used = 0;
            try {
                options.port = std::stoi(text, &used);
            } catch (const std::exception&) {
                return std::nullopt;
            }
            if (used != text.size() || options.port < 1 || options.port > 65535)
                return std::nullopt;
        } else if (!arg.starts_with("--") && options.root.empty()) {
            options.root = arg;
        } else {
            return std::nullopt;
        }
    }
    if (options.root.empty())
        return std::nullopt;
    return options;
}

// Letters and digits drawn from /dev/urandom, without modulo bias.
std::string RandomPassword(std::size_t length) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::ifstream random("/dev/urandom", std::ios::binary);
    if (!random)
        throw std::runtime_error("Cannot open /dev/urandom");
    std::string password;
    while (password.size() < length) {
        const int byte = random.get();
        if (byte == EOF)
            throw std::runtime_error("Cannot read /dev/urandom");
        const std::size_t limit = 256 - 256 % kAlphabet.size();
        if (static_cast<std::size_t>(byte) < limit)
            password += kAlphabet[static_cast<std::size_t>(byte) % kAlphabet.size()];
    }
    return password;
}

vdx::TUserXML MakeUser(std::string name, bool admin) {
    vdx::TUserXML user;
    user.Name = std::move(name);
    user.PassWord = RandomPassword(12);
    user.Admin = admin;
    user.TXT = !admin;
    return user;
}

int Run(const Options& options) {
    namespace fs = std::filesystem;
    const std::string root = vdx::os::IncludeTrailingPathDelimiter(options.root);
    for (const char* folder : {"VdxFtpServer", "VdxTxtServer/transfer", "VdxTxtServer/log",
                               "VdxTxtServer/users", "VdxInfo/transfer", "VdxInfo/log"})
        fs::create_directories(root + folder);

    const std::string appDir = root + "VdxFtpServer/";
    const bool keep = fs::exists(appDir + "Users.xml") && !options.force;
    if (keep) {
        std::cerr << "Kept the existing " << appDir << "Users.xml\n";
    } else {
        vdx::TVUsersXML file;
        file.Folder = appDir;
        file.Users = {MakeUser("admin", true), MakeUser("anna", false)};
        file.Save();
    }

    vdx::TFGlobals globals(appDir + "VdxFtpServer");
    vdx::TSettings settings = globals.Settings();
    settings.Port = options.port;
    settings.UseVdxInfo = true;
    settings.UseVdxText = true;
    globals.SetSettings(settings);
    globals.SaveSettings();
    fs::create_directories(root + "VdxTxtServer/transfer/anna");

    for (const vdx::TUserXML& user : *globals.Users())
        if (user.Name == "admin" || user.Name == "anna")
            std::cout << user.Name << ' ' << user.PassWord << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const auto options = ParseArgs(argc, argv);
    if (!options) {
        std::cerr << "usage: vdx_demo_root ROOT [--port N] [--force]\n";
        return 2;
    }
    try {
        return Run(*options);
    } catch (const std::exception& e) {
        std::cerr << "vdx_demo_root: " << e.what() << '\n';
        return 1;
    }
}
