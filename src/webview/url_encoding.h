#pragma once
// Percent-encoding of URLs the web view loads, and the normal form of local
// page URLs ("C:\pages\a b.html" and "file://C:/pages/a%20b.html" are one page).
#include <string>

namespace VemoSDK {

enum class UrlEncodeTable {
  uri,        // keeps ! # $ % & ' ( ) * , - . / 0-9 : ; = ? @ A-Z [ ] _ a-z ~
  component,  // keeps ! ' ( ) * - . 0-9 A-Z _ a-z ~
};

// Every byte the table does not keep (and every byte 0x80 and above) becomes
// "%" and two upper-case hex digits.
std::string urlEncode(const std::string& text, UrlEncodeTable table);

// A URL whose text after "file://" (or the whole text) begins with a drive
// letter and ":" gets "\" turned into "/" and is encoded with the URI table;
// any other URL comes back unchanged.
std::string normaliseLocalUrl(const std::string& url);

}  // namespace VemoSDK
