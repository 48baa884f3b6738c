#pragma once

#include <array>
#include <optional>
#include <string>

namespace files {

// The drive letters a typed path may start with, each naming a folder of this file system.
// Letters are ASCII and ignore case ('c' and 'C' are one drive). A root is kept normalised:
// absolute, no "." or ".." components, no repeated or trailing '/' except for "/" itself.
class DriveTable {
public:
    // No letter mapped.
    DriveTable() = default;

    // The table the program runs with:
    //   C: the home folder: $HOME when it is an absolute path, else the account's home folder
    //      from the user database, else unmapped;
    //   Z: "/";
    //   SIIRTOLUX_DRIVE_<letter>=<folder> maps or remaps any letter, for example
    //      SIIRTOLUX_DRIVE_C=/srv/backup. The letter in the name may be written in either case;
    //      where both spellings are set, the upper-case one counts. A value that is not an
    //      absolute path (an empty one included) leaves the letter unmapped, so that a mistyped
    //      setting names nothing rather than some folder nobody meant.
    // Reads the environment at the time of the call; throws nothing.
    static DriveTable from_environment();

    // Maps `letter` to `folder`, which must be absolute. Throws std::invalid_argument for a
    // character that is no ASCII letter or a folder that is not absolute; the table is then
    // unchanged.
    void map(char letter, const std::string& folder);
    // Leaves `letter` with no mapping. Throws std::invalid_argument for a non-letter.
    void unmap(char letter);

    // The normalised root folder of `letter`, or nothing for an unmapped letter or a character
    // that is no ASCII letter.
    std::optional<std::string> root(char letter) const;

private:
    std::array<std::optional<std::string>, 26> m_roots;
};

// `folder` (absolute) with repeated and trailing '/' removed and "." and ".." resolved by name,
// never above "/".
std::string normalise_absolute(const std::string& folder);

} // namespace files
