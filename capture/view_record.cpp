#include "capture/view_record.h"

namespace {

const char* const mipmapNames[] = {"normal", "tinted", "full"};

void AddMipmapName(JsonText& json, const char* key, int mode)
{
    if (mode >= 0 && mode <= 2)
        JsonAddString(json, key, mipmapNames[mode]);
    else
        JsonAddNull(json, key);
}

}  // namespace

void AddDriverNameMembers(JsonText& json, const DriverNames& names)
{
    JsonAddString(json, "program", names.program);
    JsonOpenObject(json, "driver");
    JsonAddString(json, "vendor", names.vendor);
    JsonAddString(json, "renderer", names.renderer);
    JsonAddString(json, "version", names.version);
    JsonCloseObject(json);
}

void AddViewRecordMembers(JsonText& json, const ViewRecord& record)
{
    AddDriverNameMembers(json, record.names);

    const ViewSettings& s = record.settings;
    JsonOpenObject(json, "settings");
    JsonAddString(json, "scene", s.scenePlane ? "plane" : "tunnel");
    JsonAddOneDecimal(json, "distance", s.distance);
    JsonAddOneDecimal(json, "angle", s.angle);
    JsonAddInteger(json, "faces", s.faces);
    JsonAddString(json, "minFilter", s.minFilter);
    JsonAddString(json, "magFilter", s.magFilter);
    JsonAddInteger(json, "anisotropy", s.anisotropy);
    JsonAddOneDecimal(json, "lodBias", s.lodBias);
    JsonAddString(json, "texture", s.bitmapShown ? "bmp" : "checkerboard");
    JsonAddInteger(json, "checker", s.checker);
    if (s.bmp.empty())
        JsonAddNull(json, "bmp");
    else
        JsonAddString(json, "bmp", s.bmp);
    JsonAddString(json, "mipmaps", s.mipmaps >= 0 && s.mipmaps <= 2 ? mipmapNames[s.mipmaps] : "");
    JsonAddOneDecimal(json, "repeatU", s.repeatU);
    JsonAddOneDecimal(json, "repeatV", s.repeatV);
    JsonAddInteger(json, "stage", s.stage);
    JsonAddOneDecimal(json, "sceneRotation", s.sceneRotation);
    JsonAddOneDecimal(json, "textureRotation", s.textureRotation);
    JsonOpenArray(json, "unitLodBiases");
    for (double bias : s.unitLodBiases)
        JsonAddOneDecimal(json, nullptr, bias);
    JsonCloseArray(json);
    AddMipmapName(json, "checkerMipmaps", s.checkerMipmaps);
    AddMipmapName(json, "bmpMipmaps", s.bmpMipmaps);
    JsonCloseObject(json);
}

std::string ViewRecordJson(const ViewRecord& record)
{
    JsonText json;
    JsonOpenObject(json, nullptr);
    AddViewRecordMembers(json, record);
    JsonCloseObject(json);
    return json.text;
}
