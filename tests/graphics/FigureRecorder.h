#pragma once
// Test support for the concrete figure classes: a canvas that records every
// drawing call with its points, text, pen, brush and font; a drawing canvas of
// a chosen size around it; and helpers that call methods and assign
// attributes the way the interpreter does.
#include "UCanvas.h"
#include "UDrawCanvas.h"
#include "UFigur.h"
#include "UStack.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

struct TRecordedCall {
    std::string Op;  // "Rectangle", "Ellipse", "Polygon", "Line", "FillRect", "Text"
    std::vector<TPoint> Points;  // two corners, the polygon, or the line's ends
    std::string Text;
    TPen Pen;
    TBrush Brush;
    TFont Font;
};

// Text metrics are fixed: 8 pixels per character, 15 high, and 18 for the
// probe "HDF|g" that multi-line text uses, so tests can tell which was used.
class TRecordingCanvas : public TCanvas {
public:
    void LineTo(int x, int y) override {
        Record("Line", {PenPosition, {x, y}});
        PenPosition = {x, y};
    }
    void Rectangle(int x1, int y1, int x2, int y2) override { Record("Rectangle", {{x1, y1}, {x2, y2}}); }
    void Ellipse(int x1, int y1, int x2, int y2) override { Record("Ellipse", {{x1, y1}, {x2, y2}}); }
    void Polygon(const std::vector<TPoint>& points) override { Record("Polygon", points); }
    void FillRect(int x1, int y1, int x2, int y2) override { Record("FillRect", {{x1, y1}, {x2, y2}}); }
    TColor Pixel(int, int) const override { return 0; }
    void SetPixel(int, int, TColor) override {}
    void TextOut(int x, int y, const std::string& text) override {
        Record("Text", {{x, y}});
        Calls.back().Text = text;
    }
    int TextWidth(const std::string& text) override {
        ++Measured;
        return 8 * static_cast<int>(text.size());
    }
    int TextHeight(const std::string& text) override { return text == "HDF|g" ? 18 : 15; }

    // The calls of the figures, without the background of a paint.
    std::vector<TRecordedCall> Calls;
    int Measured = 0;

private:
    void Record(const char* op, std::vector<TPoint> points) {
        Calls.push_back({op, std::move(points), {}, Pen, Brush, Font});
    }
};

class TRecordingSurface : public TSurface {
public:
    TRecordingSurface(int w, int h) : W(w), H(h) {}
    int Width() const override { return W; }
    int Height() const override { return H; }
    void Resize(int width, int height) override {
        W = width;
        H = height;
    }
    TCanvas& Canvas() override { return C; }
    int W, H;
    TRecordingCanvas C;
};

class TRecordingPaintBox : public TPaintBox {
public:
    TRecordingPaintBox(int w, int h) : W(w), H(h) {}
    int Width() const override { return W; }
    int Height() const override { return H; }
    std::unique_ptr<TSurface> CreateSurface(int width, int height) override {
        auto s = std::make_unique<TRecordingSurface>(width, height);
        Surface = s.get();
        return s;
    }
    void Present(const TSurface&) override {}
    std::unique_ptr<TCanvas> CreatePictureCanvas(int, int) override { return std::make_unique<TRecordingCanvas>(); }
    void PutPictureOnClipboard(TCanvas&) override {}
    int W, H;
    TRecordingSurface* Surface = nullptr;
};

// A drawing area of the given size whose figures draw onto a recording canvas.
// A 201 x 201 area has its origin at pixel (100, 100).
struct TDrawArea {
    explicit TDrawArea(int w = 201, int h = 201) : Box(w, h), Canvas(Box) {}

    // Draws one figure and returns what it drew.
    std::vector<TRecordedCall>& Draw(TObjekt& figure) {
        Recorder().Calls.clear();
        figure.Draw(Canvas);
        return Recorder().Calls;
    }
    TRecordingCanvas& Recorder() { return Box.Surface->C; }
    void Resize(int w, int h) {
        Box.W = w;
        Box.H = h;
        Canvas.Resize();
    }

    TRecordingPaintBox Box;
    TDrawCanvas Canvas;
};

namespace figtest {

// Every attribute's value as text, an owned object's (a colour's) in brackets.
inline std::string AttributeValues(const TObjekt& o) {
    std::string text;
    for (const auto& a : o.Attributes()) {
        if (const TObjekt* inner = a->Value.AsObject()) text += "(" + AttributeValues(*inner) + ")";
        else text += a->Value.DisplayText();
        text += ';';
    }
    return text;
}

inline void Push(TStack& s, int v) { s.PushInteger(v); }
inline void Push(TStack& s, double v) { s.PushDouble(v); }
inline void Push(TStack& s, const char* v) { s.PushString(v); }

// Calls a built-in method with its arguments as the interpreter pushes them.
template <class... A>
void Call(TObjekt& o, std::int32_t n, A... args) {
    TStack stack;
    (Push(stack, args), ...);
    o.CallMethod(n, stack);
    EXPECT_EQ(stack.Count(), 0) << "method " << n << " left values on the stack";
}

// Calls the visible method of that name, as a program statement would.
template <class... A>
void CallByName(TObjekt& o, const char* name, A... args) {
    TMethode* m = o.FindMethod(name);
    ASSERT_NE(m, nullptr) << name;
    ASSERT_EQ(m->Parameters.size(), sizeof...(A)) << name;
    TStack stack;
    (Push(stack, args), ...);
    m->Invoke(stack);
    EXPECT_EQ(stack.Count(), 0) << name << " left values on the stack";
}

// As an assignment statement does it: store, then tell the object.
inline void Set(TObjekt& o, const char* attribute, int value) {
    TAttribut* a = o.FindAttribute(attribute);
    ASSERT_NE(a, nullptr) << attribute;
    TVariant v;
    v.SetInteger(value);
    a->Store(v);
}

inline void SetBool(TObjekt& o, const char* attribute, bool value) {
    TAttribut* a = o.FindAttribute(attribute);
    ASSERT_NE(a, nullptr) << attribute;
    TVariant v;
    v.SetBoolean(value);
    a->Store(v);
}

inline int Get(const TObjekt& o, const char* attribute) {
    const TAttribut* a = o.FindAttributeAny(attribute);
    EXPECT_NE(a, nullptr) << attribute;
    return a ? a->Value.AsInteger() : 0;
}

struct TBox {
    int Links, Oben, Rechts, Unten;
    bool operator==(const TBox&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const TBox& b) {
    return os << "(links " << b.Links << ", oben " << b.Oben << ", rechts " << b.Rechts << ", unten " << b.Unten << ")";
}

inline TBox BoxOf(const TObjekt& f) { return {Get(f, "links"), Get(f, "oben"), Get(f, "rechts"), Get(f, "unten")}; }

// Names of the visible attributes or methods, in registration order.
inline std::vector<std::string> VisibleAttributes(const TObjekt& o) {
    std::vector<std::string> names;
    for (const auto& a : o.Attributes())
        if (!a->Hidden) names.push_back(a->Name);
    return names;
}

inline std::vector<std::string> VisibleMethods(const TObjekt& o) {
    std::vector<std::string> names;
    for (const auto& m : o.Methods())
        if (!m->Hidden) names.push_back(m->Name);
    return names;
}

inline std::vector<std::string> ParameterNames(const TMethode& m) {
    std::vector<std::string> names;
    for (const TParameter& p : m.Parameters) names.push_back(p.Name);
    return names;
}

} // namespace figtest
