#pragma once

#include <cstddef>
#include <string_view>

namespace norvane {

// What the words before a number say it is.
enum class NumberLabel { None, Phone, Fax };

// The label that the end of `before` gives the number that follows it: the last fax or phone
// label, with any label joined to it by "/", "&", "or", "und", "et" ... ("Tel/Fax", "Phone or
// Fax"), which makes the number a fax when one of them says fax. Words of any letter case, in
// English, German, French, Spanish and Italian; UTF-8, accents optional. The short labels "F:",
// "F." and "Fx" count as fax only with `shortFaxLabels`, which a caller sets where a phone label
// marks a neighbour ("P: ... F: ...").
// `labelEnd`, when given, takes where the last label's word ends.
NumberLabel LabelBefore(std::string_view before, bool shortFaxLabels,
                        std::size_t* labelEnd = nullptr);

// True when the text right after a number labels it as fax: "(Fax)", "- fax", "fax" at the end,
// but not "Fax:" or "Fax" that opens the label of a number that follows.
bool FaxLabelAfter(std::string_view after, bool numberFollows);

// True when the text holds a phone label ("Phone", "Tel.", "P:", "T:"), which lets its
// neighbours use the short fax labels.
bool HasPhoneLabel(std::string_view text);

// Whether a text names a fax: by a label ("Fax", "Télécopieur"), only by a short label that needs
// a phone label beside it ("F:", "Fx"), or not at all. Tells the blocks worth looking for numbers.
enum class FaxMention { None, ShortLabel, Label };
FaxMention MentionOfFax(std::string_view text);

// False when a page body (HTML, any letter case, entities undecoded) cannot name a fax anywhere:
// it holds none of the fax words, "t&eacute;l", nor a "F:" or "F." standing alone. One cheap
// pass that spares the pages without a fax the rest of the thorough scan.
bool MayMentionFax(std::string_view body);

}  // namespace norvane
