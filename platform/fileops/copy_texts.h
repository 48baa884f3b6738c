#pragma once

#include <string>

// The texts of the copy's windows.
namespace fileops::texts {

std::string quoted(const std::string& name);
// "<what>\n<the system's reason>."
std::string with_reason(const std::string& what, int code);

inline const char* const progress_caption = "Kopioidaan";
inline const char* const question_caption = "Vahvista";
inline const char* const error_caption = "Virhe";

inline const char* const yes = "Kyllä";
inline const char* const yes_to_all = "Kyllä kaikkiin";
inline const char* const no = "Ei";
inline const char* const cancel = "Peruuta";
inline const char* const ok = "OK";

std::string no_source();
std::string no_destination();
std::string source_missing(const std::string& shown, int code);
std::string no_match(const std::string& shown);
std::string destination_not_folder(const std::string& shown);
std::string destination_wildcard(const std::string& shown);
std::string into_itself(const std::string& shown);
std::string ask_create(const std::string& shown);
std::string cannot_create_folder(const std::string& shown, int code);
std::string ask_replace(const std::string& shown);
std::string ask_merge(const std::string& shown);
std::string cannot_read_folder(const std::string& shown, int code);
std::string cannot_copy(const std::string& shown, int code);
std::string special_file(const std::string& shown);
std::string changed(const std::string& shown);
std::string folder_over_file(const std::string& shown);
std::string file_over_folder(const std::string& shown);
std::string same_item(const std::string& shown);
std::string disk_full(const std::string& shown, int code);
std::string stopping();
std::string unsupported_request();
std::string ask_delete(const std::string& shown);
std::string copying(const std::string& shown);

} // namespace fileops::texts
