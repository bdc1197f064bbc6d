// Writes "Users.xml" for tests and benchmarks, with passwords stored as the
// user administration program stores them.
//
//   served_users APP_FOLDER < lines
//
// Each input line is NAME TAB PASSWORD TAB FLAGS, FLAGS a run of the letters
// T (teletext server), W (web teletext), I (info channel), A (administrator)
// and S (skip web teletext pages); an empty FLAGS field gives none.

#include "shared/VardexUsersXML.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

bool ParseLine(const std::string& line, vdx::TUserXML& user) {
    const auto tab1 = line.find('\t');
    const auto tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos)
        return false;
    user.Name = line.substr(0, tab1);
    user.PassWord = line.substr(tab1 + 1, tab2 - tab1 - 1);
    for (const char flag : line.substr(tab2 + 1)) {
        switch (flag) {
        case 'T':
            user.TXT = true;
            break;
        case 'W':
            user.WebTXT = true;
            break;
        case 'I':
            user.Info = true;
            break;
        case 'A':
            user.Admin = true;
            break;
        case 'S':
            user.SkipWebTxtPages = true;
            break;
        default:
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: served_users APP_FOLDER < NAME<TAB>PASSWORD<TAB>FLAGS lines\n";
        return 2;
    }
    vdx::TVUsersXML file;
    file.Folder = argv[1];
    std::string line;
    for (int number = 1; std::getline(std::cin, line); ++number) {
        if (line.empty())
            continue;
        vdx::TUserXML user;
        if (!ParseLine(line, user)) {
            std::cerr << "served_users: line " << number << " is not NAME TAB PASSWORD TAB FLAGS\n";
            return 2;
        }
        file.Users.push_back(user);
    }
    try {
        file.Save();
    } catch (const std::exception& e) {
        std::cerr << "served_users: " << e.what() << '\n';
        return 1;
    }
    return 0;
}
