// Files read whole: text, and PNG pictures decoded with the platform's codec.
#pragma once

#include <string>

#include "measure/report_sheet.h"

// False with the system's reason.
bool ReadFileWhole(const std::string& path, std::string* bytes, std::string* reason);

// The picture as RGB rows, top first. False with the reason.
bool ReadPngFile(const std::string& path, SheetImage* image, std::string* reason);
