#pragma once

#include <string>
#include <vector>

#include "harvest/faxes/fax_scan.h"

namespace norvane {

// The stored forms of what a fax scan found, in order.
inline std::vector<std::string> FaxesOf(const std::vector<FoundFax>& found) {
  std::vector<std::string> faxes;
  for (const FoundFax& fax : found) faxes.push_back(fax.fax);
  return faxes;
}

}  // namespace norvane
