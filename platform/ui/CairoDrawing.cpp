#include "platform/ui/CairoDrawing.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace tavelin::ui {
namespace {

constexpr double kQuarter = std::numbers::pi / 2;

void polygon(cairo_t* cr, std::initializer_list<Point> points) {
    cairo_new_sub_path(cr);
    for (const Point& p : points) cairo_line_to(cr, p.x, p.y);
    cairo_close_path(cr);
}

// Symbols are drawn in a unit square; strokes are given in its units.
void stroke(cairo_t* cr, double width) {
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void documentOutline(cairo_t* cr) {
    polygon(cr, {{0.22, 0.08}, {0.60, 0.08}, {0.80, 0.28}, {0.80, 0.92}, {0.22, 0.92}});
}

}  // namespace

void setSourceColor(cairo_t* cr, const Color& color) {
    cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
}

void appendShapePath(cairo_t* cr, const Rect& rect, const Shape& shape) {
    const double half = std::min(rect.width, rect.height) / 2;
    double radius = shape.kind == ShapeKind::capsule            ? half
                    : shape.kind == ShapeKind::roundedRectangle ? std::min(shape.cornerRadius, half)
                                                                : 0;
    if (radius <= 0) {
        cairo_rectangle(cr, rect.x, rect.y, rect.width, rect.height);
        return;
    }
    cairo_new_sub_path(cr);
    cairo_arc(cr, rect.maxX() - radius, rect.y + radius, radius, -kQuarter, 0);
    cairo_arc(cr, rect.maxX() - radius, rect.maxY() - radius, radius, 0, kQuarter);
    cairo_arc(cr, rect.x + radius, rect.maxY() - radius, radius, kQuarter, 2 * kQuarter);
    cairo_arc(cr, rect.x + radius, rect.y + radius, radius, 2 * kQuarter, 3 * kQuarter);
    cairo_close_path(cr);
}

void drawSymbol(cairo_t* cr, Symbol symbol, const Rect& rect, const Color& color) {
    if (rect.width <= 0 || rect.height <= 0) return;
    cairo_save(cr);
    cairo_translate(cr, rect.x, rect.y);
    cairo_scale(cr, rect.width, rect.height);
    setSourceColor(cr, color);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    switch (symbol) {
        case Symbol::magnifyingGlass:
            cairo_new_sub_path(cr);
            cairo_arc(cr, 0.42, 0.42, 0.28, 0, 4 * kQuarter);
            stroke(cr, 0.10);
            cairo_move_to(cr, 0.63, 0.63);
            cairo_line_to(cr, 0.88, 0.88);
            stroke(cr, 0.13);
            break;
        case Symbol::appFill:
            appendShapePath(cr, Rect{0.10, 0.10, 0.80, 0.80}, Shape{ShapeKind::roundedRectangle, 0.20});
            cairo_fill(cr);
            break;
        case Symbol::folderFill:
            appendShapePath(cr, Rect{0.08, 0.18, 0.36, 0.16}, Shape{ShapeKind::roundedRectangle, 0.05});
            appendShapePath(cr, Rect{0.08, 0.28, 0.84, 0.56}, Shape{ShapeKind::roundedRectangle, 0.07});
            cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
            cairo_fill(cr);
            break;
        case Symbol::trashFill:
            appendShapePath(cr, Rect{0.40, 0.06, 0.20, 0.10}, Shape{ShapeKind::roundedRectangle, 0.03});
            appendShapePath(cr, Rect{0.16, 0.14, 0.68, 0.08}, Shape{ShapeKind::roundedRectangle, 0.03});
            polygon(cr, {{0.24, 0.26}, {0.76, 0.26}, {0.71, 0.92}, {0.29, 0.92}});
            cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
            cairo_fill(cr);
            break;
        case Symbol::docFill:
            documentOutline(cr);
            cairo_fill(cr);
            break;
        case Symbol::doc:
            documentOutline(cr);
            cairo_move_to(cr, 0.60, 0.08);
            cairo_line_to(cr, 0.60, 0.28);
            cairo_line_to(cr, 0.80, 0.28);
            stroke(cr, 0.07);
            break;
        case Symbol::squareDashed: {
            const double dashes[] = {0.12, 0.08};
            cairo_set_dash(cr, dashes, 2, 0);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
            appendShapePath(cr, Rect{0.12, 0.12, 0.76, 0.76}, Shape{ShapeKind::roundedRectangle, 0.16});
            stroke(cr, 0.07);
            break;
        }
    }
    cairo_restore(cr);
}

}  // namespace tavelin::ui
