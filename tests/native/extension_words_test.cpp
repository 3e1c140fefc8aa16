#include <gtest/gtest.h>

#include "app/extension_words.h"

namespace {

struct WordCase {
    const char* list;
    const char* name;
    bool found;
};

const WordCase wordCases[] = {
    {"GL_A GL_B GL_C", "GL_A", true},             // first word
    {"GL_A GL_B GL_C", "GL_C", true},             // last word, ended by the terminator
    {"GL_A GL_B GL_C ", "GL_C", true},            // last word, ended by a blank
    {"GL_A GL_B GL_C", "GL_B", true},
    {"GL_AB GL_B", "GL_A", false},                // prefix of a longer name
    {"GL_A_B", "GL_A", false},                    // prefix followed by an underscore
    {"XGL_A GL_B", "GL_A", false},                // suffix of a longer name
    {"GL_AX GL_A", "GL_A", true},                 // found after a failed occurrence
    {"GL_A_longer GL_A_longer GL_A", "GL_A", true},
    {"GL_AGL_A", "GL_A", true},                   // begins where the failed one ended
    {"", "GL_A", false},
    {"GL_A", "", false},
    {nullptr, "GL_A", false},
    {"GL_A", nullptr, false},
    {"GL_EXT_texture_filter_anisotropic GL_EXT_texture_lod_bias",
     "GL_EXT_texture_lod_bias", true},
    {"GL_EXT_texture_filter_anisotropic", "GL_EXT_texture_filter", false},
};

TEST(ExtensionListHasWord, FollowsTheWordRules)
{
    for (const WordCase& c : wordCases) {
        EXPECT_EQ(c.found, ExtensionListHasWord(c.list, c.name))
            << "list \"" << (c.list ? c.list : "(null)") << "\", name \""
            << (c.name ? c.name : "(null)") << "\"";
    }
}

}  // namespace
