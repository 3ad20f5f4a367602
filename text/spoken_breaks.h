#pragma once
// Line breaks the user says: "yangi qator" (янги қатор) is a line break and
// "yangi xatboshi" (янги хатбоши) an empty line between paragraphs, in any
// case, only as whole words ("yangi qatorlar" is text). The spaces and the
// comma a recogniser puts before the phrase, and the punctuation and spaces
// after it, go with it; the sentence end before it stays:
// "Salom. Yangi qator. Qalaysiz?" → "Salom.\nQalaysiz?".

#include <string>
#include <string_view>

std::u32string replaceSpokenBreaks(std::u32string_view text);
