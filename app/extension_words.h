// Whole-word search in a blank-separated extension string; no platform needed.
#pragma once

// True when name occurs in list as a word: it begins at the search start or
// right after a blank, and is followed by a blank or the end of the string.
// A failed occurrence moves the search start to its end, as the usual
// extension-string idiom does. Null or empty arguments are never found.
bool ExtensionListHasWord(const char* list, const char* name);
