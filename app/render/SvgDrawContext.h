// A host draw context that renders what it is asked to draw as SVG elements, so that the
// plug-in's own painting (gate markers, emphasised pins) ends up in a picture. It still records
// every call as the host's context does.
//
// Coordinates: board nanometres become SVG user units of one micrometre, with y pointing up as
// on the board (SVG y = -board y). Sizes smaller than one screen pixel at the context's zoom are
// drawn one pixel wide, as the host draws hairlines. While the draw flag is set (the host's
// "drawn in the background" state) elements are drawn faint.
#pragma once
#include <cstdint>
#include <string>

#include "host/DrawContext.h"

namespace lq {

// A board length in nm as SVG user units (µm), exact to the nanometre, no trailing zeros.
std::string SvgLength(std::int64_t nm);
// Board x and y as SVG coordinates.
std::string SvgX(std::int64_t x);
std::string SvgY(std::int64_t y);
// The colour a host colour index stands for: 8 marker filling, 32 selected filling, 38 marker
// lines and text; any other index a neutral grey.
std::string SvgColour(int index);
// Text with the five XML special characters escaped.
std::string XmlEscape(const std::string& text);

class SvgDrawContext : public CDrawContext {
public:
    SvgDrawContext() = default;

    void DrawLine(const CLQPoint& from, const CLQPoint& to) override;
    void DrawCircle(CLQPoint centre, int nRadius) override;
    void DrawText(const CLQPoint& at, const CString& text) override;
    // Draws the object's bounding box (a pin's pad) in the current colour.
    void DrawDrawObject(CDrawObject* pObject) override;

    // The elements drawn so far, one per line.
    const std::string& Elements() const { return m_elements; }
    // Forgets the elements and the base class's call log, for a context that paints again and again.
    void Clear();

protected:
    // Adds elements, for a context that draws some calls its own way.
    void Append(const std::string& elements) { m_elements += elements; }

private:
    // Width in nm of a stroke of the given width, at least one pixel.
    std::int64_t StrokeWidth(std::int64_t width) const;
    std::string Opacity() const;

    std::string m_elements;
};

}  // namespace lq
