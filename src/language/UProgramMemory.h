#pragma once
// The bytes a running program holds in texts: the strings of its values
// (variables, parameters, stack slots, attributes) and the lines of its
// text fields. Whoever makes such a text grow or shrink says so here; the
// interpreter adds its frames and objects and holds the sum against the
// run's memory budget (TInterpreter::SetMaxMemory).
//
// One count for the process, as TObjekt::LiveCount: a run compares the
// count against the one it found at its start. Relaxed atomics, because
// the syntax check's thread may make values too; a text changes its size
// far more rarely than it is read.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ProgramMemory {

inline std::atomic<std::int64_t> TextBytes{0};

inline void Add(std::int64_t bytes) { TextBytes.fetch_add(bytes, std::memory_order_relaxed); }
inline std::int64_t Texts() { return TextBytes.load(std::memory_order_relaxed); }

// What a string holds on the heap beyond its own object: nothing while its
// text fits inside it.
inline std::int64_t HeapOf(const std::string& text) {
    const std::size_t inside = std::string().capacity();
    return text.capacity() > inside ? static_cast<std::int64_t>(text.capacity() + 1) : 0;
}

} // namespace ProgramMemory
