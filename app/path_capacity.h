// Paths as the ANSI file dialogs and the Browse button hold them.
#pragma once

const int pathCapacity = 260;  // MAX_PATH, with the terminator
