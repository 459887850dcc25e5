#pragma once

#include <string>
#include <string_view>

namespace norvane {

// The text that an HTML character entity stands for, given its name without "&" and ";":
// one Windows-1252 byte, or an empty text for a name it does not know.
std::string DecodeEntity(std::string_view name);

}  // namespace norvane
