#include "app/extension_words.h"

#include <cstring>

bool ExtensionListHasWord(const char* list, const char* name)
{
    // An empty name would match at every position and never advance.
    if (list == nullptr || name == nullptr || name[0] == '\0')
        return false;
    const size_t nameLength = std::strlen(name);
    const char* start = list;
    for (;;) {
        const char* where = std::strstr(start, name);
        if (where == nullptr)
            return false;
        const char* end = where + nameLength;
        if ((where == start || where[-1] == ' ') && (*end == ' ' || *end == '\0'))
            return true;
        start = end;
    }
}
