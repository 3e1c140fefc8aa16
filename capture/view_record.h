// The record written beside a captured frame: which program, which driver,
// and the settings as the panel shows them.
#pragma once

#include <string>
#include <vector>

#include "capture/json_writer.h"

struct ViewSettings {
    bool scenePlane = false;
    double distance = 0.0;  // world units
    double angle = 0.0;     // degrees
    int faces = 0;
    std::string minFilter;  // list texts
    std::string magFilter;
    int anisotropy = 1;
    double lodBias = 0.0;
    bool bitmapShown = false;
    int checker = 0;
    std::string bmp;  // UTF-8; empty when no BMP was loaded
    int mipmaps = 0;  // a MipmapMode
    double repeatU = 0.0;
    double repeatV = 0.0;
    int stage = 0;
    double sceneRotation = 0.0;
    double textureRotation = 0.0;
    // What the panel does not show but the frame depends on: the LOD bias
    // each texture unit keeps, and the colouring each texture was built with
    // (-1: no such texture).
    std::vector<double> unitLodBiases;
    int checkerMipmaps = -1;
    int bmpMipmaps = -1;
};

// Which program on which driver: a capture record and a report both begin so.
struct DriverNames {
    std::string program;  // UTF-8, as all four
    std::string vendor;
    std::string renderer;
    std::string version;
};

struct ViewRecord {
    DriverNames names;
    ViewSettings settings;
};

// Adds the members "program" and "driver" to the open object.
void AddDriverNameMembers(JsonText& json, const DriverNames& names);

// Adds the members "program", "driver" and "settings" to the open object, so
// that other records can carry them too.
void AddViewRecordMembers(JsonText& json, const ViewRecord& record);

// The whole record as one JSON object.
std::string ViewRecordJson(const ViewRecord& record);
