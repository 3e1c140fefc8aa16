// Picture files dropped on the render window or the panel.
#pragma once

#include <windows.h>
#include <shellapi.h>

// Lets both windows take dropped files.
void AcceptDroppedPictures();

// Loads the first dropped file as Browse does (LoadBitmapAsBrowsed) and, when
// several were dropped and the first loaded, says that only the first was
// taken. Releases the drop.
void LoadDroppedPicture(HDROP drop);
