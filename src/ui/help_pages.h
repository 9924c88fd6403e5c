// Addresses of the product's web pages. The site is the program's own help
// folder, so the pages work without a network connection.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace nvx {

// The folder holding index.htm: the installed share folder next to the
// executable, the configured install folder, or the source tree's help folder,
// whichever is found first.
QString HelpFolder();

// The file:// address of a page of the site, e.g. "/help/combo.htm"; an empty
// path or "/" gives the home page.
std::string HelpPageAddress(std::string_view path);
std::string HomePageAddress();

} // namespace nvx
