// The JavaScript names of UWebApi.h. embind rather than plain extern "C":
// the API hands over records (run reports, window geometry, errors) and
// lists of texts, which embind turns into JavaScript objects and arrays with
// the UTF-8 conversion done once here, while a C interface would need a
// hand-written marshalling layer on both sides; the pixels still go as a view
// on the module's memory, without a copy.
#include "UWebApi.h"

#include <emscripten/bind.h>
#include <emscripten/val.h>

using namespace emscripten;

namespace {

val PixelView(TWebSession& session, int index) {
    std::size_t bytes = 0;
    std::uint8_t* pixels = session.WindowPixels(index, bytes);
    return val(typed_memory_view(bytes, pixels));
}

val RgbArray(const TWebSession& session, int index) {
    const std::vector<std::uint32_t> rgb = session.WindowRgb(index);
    return val::global("Uint32Array").new_(typed_memory_view(rgb.size(), rgb.data()));
}

// The file's bytes come as a Uint8Array (embind copies them unconverted).
TLoadReport LoadFile(TWebSession& session, const std::string& bytes) { return session.LoadFile(bytes); }

}  // namespace

EMSCRIPTEN_BINDINGS(zak) {
    register_vector<std::string>("StringList");

    enum_<TRunState>("RunState")
        .value("NotStarted", TRunState::NotStarted)
        .value("Ready", TRunState::Ready)
        .value("Breakpoint", TRunState::Breakpoint)
        .value("Ended", TRunState::Ended)
        .value("Failed", TRunState::Failed);

    value_object<TWebError>("WebError")
        .field("kind", &TWebError::Kind)
        .field("line", &TWebError::Line)
        .field("column", &TWebError::Column)
        .field("message", &TWebError::Message)
        .field("itemText", &TWebError::ItemText);

    value_object<TRunReport>("RunReport")
        .field("state", &TRunReport::State)
        .field("line", &TRunReport::Line)
        .field("calls", &TRunReport::Calls)
        .field("totalCalls", &TRunReport::TotalCalls)
        .field("error", &TRunReport::Error);

    value_object<TLoadReport>("LoadReport")
        .field("lines", &TLoadReport::Lines)
        .field("header", &TLoadReport::Header)
        .field("note", &TLoadReport::Note)
        .field("otherVersion", &TLoadReport::OtherVersion)
        .field("fromUtf8", &TLoadReport::FromUtf8);

    value_object<TFormattedLine>("FormattedLine")
        .field("line", &TFormattedLine::Line)
        .field("classes", &TFormattedLine::Classes)
        .field("commentOpen", &TFormattedLine::CommentOpen)
        .field("nextIndent", &TFormattedLine::NextIndent)
        .field("lineIndent", &TFormattedLine::LineIndent);

    value_object<TWindowInfo>("WindowInfo")
        .field("title", &TWindowInfo::Title)
        .field("left", &TWindowInfo::Left)
        .field("top", &TWindowInfo::Top)
        .field("width", &TWindowInfo::Width)
        .field("height", &TWindowInfo::Height)
        .field("pixelWidth", &TWindowInfo::PixelWidth)
        .field("pixelHeight", &TWindowInfo::PixelHeight)
        .field("originX", &TWindowInfo::OriginX)
        .field("originY", &TWindowInfo::OriginY)
        .field("visible", &TWindowInfo::Visible)
        .field("changedLeft", &TWindowInfo::ChangedLeft)
        .field("changedTop", &TWindowInfo::ChangedTop)
        .field("changedRight", &TWindowInfo::ChangedRight)
        .field("changedBottom", &TWindowInfo::ChangedBottom);

    value_object<Speed::TTick>("SpeedTick")
        .field("intervalMs", &Speed::TTick::IntervalMs)
        .field("stepsPerTick", &Speed::TTick::StepsPerTick)
        .field("followEachStep", &Speed::TTick::FollowEachStep);

    value_object<TWebProposal>("Proposal")
        .field("name", &TWebProposal::Name)
        .field("description", &TWebProposal::Description)
        .field("kind", &TWebProposal::Kind)
        .field("insertText", &TWebProposal::InsertText);
    register_vector<TWebProposal>("ProposalList");

    value_object<TWebCompletion>("Completion")
        .field("startColumn", &TWebCompletion::StartColumn)
        .field("proposals", &TWebCompletion::Proposals);

    class_<TWebSession>("WebSession")
        .constructor<>()
        .function("loadFile", &LoadFile)
        .function("loadLines", &TWebSession::LoadLines)
        .function("lines", &TWebSession::Lines)
        .class_function("formatLine", &TWebSession::FormatLine)
        .class_function("setRandomSeed", &TWebSession::SetRandomSeed)
        .class_function("randomizeSeed", &TWebSession::RandomizeSeed)
        .function("start", &TWebSession::Start)
        .function("runCalls", &TWebSession::RunCalls)
        .function("runStatements", &TWebSession::RunStatements)
        .function("step", &TWebSession::Step)
        .function("report", &TWebSession::Report)
        .function("setBreakpoint", &TWebSession::SetBreakpoint)
        .function("breakpoint", &TWebSession::Breakpoint)
        .function("settlePaints", &TWebSession::SettlePaints)
        .function("variables", &TWebSession::Variables)
        .function("windowCount", &TWebSession::WindowCount)
        .function("window", &TWebSession::Window)
        .function("windowPixels", &PixelView)
        .function("windowRgb", &RgbArray)
        .function("resizeWindow", &TWebSession::ResizeWindow)
        .function("moveWindow", &TWebSession::MoveWindow)
        .function("check", &TWebSession::Check)
        .function("complete", &TWebSession::Complete)
        .class_function("speedRule", &TWebSession::SpeedRule);
}
