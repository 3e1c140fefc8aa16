#include "measure/rules_probe.h"

#include <cmath>
#include <cstdint>
#include <set>
#include <vector>

#include "app/gl_constants.h"
#include "measure/filter_precision.h"
#include "measure/footprint_atlas.h"

namespace {

// Fraction bits: one level, lambda 2 .. 3, stepped in 512 isotropic cells.
const int fractionColumns = 32;
const int fractionRows = 16;

// The atlas (or any cells) drawn with the probe under `minFilter`, set on the
// bound test texture for the probe to copy.
std::vector<CellMeasure> DrawCells(GLuint probe, const TextureShape& shape,
                                   const std::vector<AtlasCell>& cells, GLenum minFilter)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(minFilter));
    std::vector<uint8_t> rgba;
    EndProbe(BeginProbe(probe, AtlasRects(cells, shape.width, shape.height)), rgba);
    MeasuredLodMap map;
    DecodeProbeFrame(rgba.data(), shape.levels, map);
    return MeasureCells(map, cells);
}

std::vector<AtlasCell> FractionCells()
{
    std::vector<AtlasCell> cells;
    const int width = viewWidth / fractionColumns, height = viewHeight / fractionRows;
    for (int k = 0; k < fractionColumns * fractionRows; ++k) {
        AtlasCell cell;
        cell.x = (k % fractionColumns) * width;
        cell.y = (k / fractionColumns) * height;
        cell.width = width;
        cell.height = height;
        const double side = 4.0 * std::exp2(static_cast<double>(k) / (fractionColumns * fractionRows));
        cell.jacobian.dudx = side;
        cell.jacobian.dvdy = side;
        cells.push_back(cell);
    }
    return cells;
}

// A texture of one row of grey texels with its own filters.
GLuint GreyRow(const std::vector<uint8_t>& greys, GLenum filter, GLenum wrap)
{
    std::vector<uint8_t> texels;
    for (uint8_t g : greys)
        texels.insert(texels.end(), {g, g, g, 255});
    GLuint name = 0;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(filter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, static_cast<GLint>(wrap));
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, static_cast<GLsizei>(greys.size()), 1, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, texels.data());
    glPopClientAttrib();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return name;
}

// Red of one row of pixels, drawn with a rectangle across the window.
std::vector<uint8_t> DrawnRow(GLuint texture, double s, double dsdx)
{
    AffineRect rect;
    rect.width = viewWidth;
    rect.height = 4;
    rect.s = s;
    rect.t = 0.5;
    rect.dsdx = dsdx;
    std::vector<uint8_t> rgba;
    DrawRectsWithTexture(texture, {rect}, rgba);
    std::vector<uint8_t> red(static_cast<size_t>(viewWidth));
    for (int x = 0; x < viewWidth; ++x)
        red[x] = rgba[(static_cast<size_t>(viewWidth) * 2 + x) * 4];
    return red;
}

void MeasureFilterPrecision(RulesFigures& rules)
{
    // Two texels, black and white, from centre to centre across the window:
    // magnified 400 times, a bilinear filter steps once per subtexel position.
    GLuint ramp = GreyRow({0, 255}, GL_LINEAR, GL_CLAMP_TO_EDGE);
    const std::vector<uint8_t> magnified = DrawnRow(ramp, 0.25, 0.5 / viewWidth);
    const int steps = DistinctValues(magnified.data(), magnified.size(), 1);
    rules.bilinearMagnification = steps > 2;
    rules.subtexelBits = rules.bilinearMagnification ? BitsFromDistinctSteps(steps) : 0;
    glDeleteTextures(1, &ramp);

    // Black and white texels at 1.37 texels a pixel, no mip levels: a linear
    // filter samples between them, a nearest one never.
    GLuint stripes = GreyRow({0, 255, 0, 255}, GL_LINEAR, GL_REPEAT);
    const std::vector<uint8_t> minified = DrawnRow(stripes, 0.1, 1.37 / 4.0);
    long between = 0;
    for (uint8_t v : minified)
        between += v > 8 && v < 247;
    rules.bilinearMinification = between > viewWidth / 10;
    glDeleteTextures(1, &stripes);
}

}  // namespace

void MeasureRules(GLuint probe, const TextureShape& shape, const Scene& tunnel,
                  const MeasuredLodMap& tunnelBlended, const IdealLodMap& tunnelIdeal,
                  const std::vector<CellMeasure>& atlasAt1x, RulesFigures& rules)
{
    const int lastLevel = shape.levels - 1;
    const std::vector<AtlasCell> cells = AtlasCells();
    const std::vector<CellMeasure> blendedCells =
        atlasAt1x.empty() ? DrawCells(probe, shape, cells, GL_LINEAR_MIPMAP_LINEAR) : atlasAt1x;
    const std::vector<CellMeasure> nearestCells = DrawCells(probe, shape, cells, GL_NEAREST_MIPMAP_NEAREST);
    // The tunnel too, still with NEAREST_MIPMAP_NEAREST.
    std::vector<uint8_t> rgba;
    ProbeView(probe, tunnel, rgba);
    MeasuredLodMap tunnelNearest;
    DecodeProbeFrame(rgba.data(), shape.levels, tunnelNearest);

    // The model from where the levels switch, which no blend shortcut moves.
    const SceneModel model = BuildSceneModel(ViewOf(tunnel, shape));
    RhoFit fit;
    for (size_t i = 0; i < cells.size(); ++i)
        if (nearestCells[i].pixels > 0)
            AddSwitchSample(fit, nearestCells[i].median, cells[i].jacobian, lastLevel);
    AddTunnelSwitchSamples(fit, model, tunnelNearest, lastLevel);
    rules.model = BestRhoModel(fit, rules.modelResiduals);

    rules.counts = JudgeTunnel(model, tunnelNearest, tunnelBlended, rules.model, lastLevel, rules.tunnelMarks);
    for (size_t i = 0; i < cells.size(); ++i)
        if (nearestCells[i].pixels > 0 && blendedCells[i].pixels > 0)
            rules.counts.Add(JudgeFootprint(nearestCells[i].median, blendedCells[i].median,
                                            cells[i].jacobian, rules.model, lastLevel));

    std::set<double> blends;
    for (const CellMeasure& m : DrawCells(probe, shape, FractionCells(), GL_LINEAR_MIPMAP_LINEAR))
        if (m.pixels > 0)
            blends.insert(m.median);
    rules.fractionBits = BitsFromDistinctSteps(static_cast<int>(blends.size()));
    rules.lodPerQuad = LodPerQuad(tunnelBlended, tunnelIdeal.openGl, tunnelIdeal.openGlClass, &rules.quadShare);
    MeasureFilterPrecision(rules);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
}
