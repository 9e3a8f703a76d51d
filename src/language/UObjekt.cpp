#include "UObjekt.h"

#include "UBlockPool.h"
#include "UNamen.h"
#include "UNumberChars.h"
#include "UStack.h"

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <typeindex>
#include <unordered_map>
#include <utility>

bool ClassAccepts(std::int32_t required, std::int32_t actual) {
    if (required == 0) return actual == 0;
    if (required == -1) return true;  // INT_MIN % -1 would overflow
    return actual % required == 0;
}

// -------------------------------------------------------------- TMemberName

std::atomic<const std::string*> TMemberName::Chunks[MaxChunks];

std::uint32_t TMemberName::Pooled(std::string_view text) {
    if (text.empty()) return 0;
    // Names come from the classes' constructors only, so the pool stays small.
    static std::mutex mutex;
    static auto* numbers = new std::unordered_map<std::string, std::uint32_t>;
    static std::uint32_t count = 1;
    const std::lock_guard lock(mutex);
    const auto known = numbers->find(std::string(text));
    if (known != numbers->end()) return known->second;
    if (count / ChunkSize >= MaxChunks) throw std::length_error("too many member names");
    if (!Chunks[count / ChunkSize].load(std::memory_order_relaxed))
        Chunks[count / ChunkSize].store(new std::string[ChunkSize], std::memory_order_release);
    // Written before the number is handed out; the chunk's texts never change again.
    const_cast<std::string&>(Chunks[count / ChunkSize].load(std::memory_order_relaxed)[count % ChunkSize]) = text;
    numbers->emplace(std::string(text), count);
    return count++;
}

TMemberName::TMemberName(std::string_view text) : Number(Pooled(text)) {}

TMemberName& TMemberName::operator=(std::string_view text) {
    Number = Pooled(text);
    return *this;
}

// ---------------------------------------------------------------- TAttribut

TAttribut::TAttribut(std::string_view name, std::int32_t classNumber, TKind kind, TObjekt* owner)
    : ClassNumber(classNumber), Name(name), Owner(owner) {
    Value.SetKind(kind);
    Value.SetAttribute(this);
}

#if defined(__x86_64__) || defined(__aarch64__)
static_assert(sizeof(TAttribut) == 48, "an attribute is no larger than its fields need");
#endif

void* TAttribut::operator new(std::size_t size) {
    if (size != sizeof(TAttribut)) return ::operator new(size);
    return TBlockPool::Of<sizeof(TAttribut)>().Allocate();
}

void TAttribut::operator delete(void* block, std::size_t size) noexcept {
    if (size != sizeof(TAttribut)) return ::operator delete(block);
    TBlockPool::Of<sizeof(TAttribut)>().Release(block);
}

void TAttribut::Store(const TVariant& value) {
    // An owner that can tell what it shows is asked afterwards whether the
    // store changed any of it (a figure given its own value again did not).
    // Any other counts as changed from the start.
    TShapeState before;
    const bool known = Owner && Owner->ShapeState(before);
    if (!known) TObjekt::NoteChange();
    switch (Value.Kind()) {
    case vkObjekt: {
        // The attribute's object belongs to the owner; it takes the source's
        // state but is never replaced by the source.
        TObjekt* target = Value.AsObject();
        TObjekt* source = value.AsObject();
        if (target && source && target != source) target->Assign(*source);
        break;
    }
    case vkBoolean: Value.SetBoolean(value.AsBoolean()); break;
    case vkChar: Value.SetChar(value.AsChar()); break;
    case vkInteger: Value.SetInteger(value.AsInteger()); break;
    case vkReal: Value.SetDouble(value.AsDouble()); break;
    case vkString:
        if (value.Kind() == vkString) {
            Value.SetString(value.AsString());
        } else {
            std::string text;
            value.AppendAsString(text);
            Value.SetString(text);
        }
        break;
    default: Value.CopyFrom(value); break;
    }
    if (Owner) Owner->AttributeChanged(this);
    // Again once the owner has taken it in: a paint in between drew the old state.
    TShapeState after;
    if (!known || !Owner->ShapeState(after) || !(before == after)) TObjekt::NoteChange(Owner);
}

// ---------------------------------------------------------------- TMethode

TMethode::TMethode(std::string name, std::int32_t resultClassNumber, TKind resultKind,
                   std::int32_t methodNumber, TObjekt* owner)
    : Kind(mkObjectMethod), Name(std::move(name)), Owner(owner), MethodNumber(methodNumber) {
    if (resultKind != vkNone) Result = TParameter{"", resultKind, resultClassNumber, false};
}

TMethode::TMethode(TKind resultKind, std::int32_t resultClassNumber, TFunction function,
                   TVarSpace* context)
    : Kind(mkFunction), Function(function), Context(context) {
    if (resultKind != vkNone) Result = TParameter{"", resultKind, resultClassNumber, false};
}

TMethode::TMethode(std::int32_t bodyPosition) : Kind(mkProgramMethod), BodyPosition(bodyPosition) {}

TMethode::TMethode(TAttribut* attribute)
    : Kind(mkSetter), Name(attribute->Name + "Setzen"), Owner(attribute->Owner),
      Attribute(attribute) {
    AddParameter(attribute->Name, attribute->Value.Kind(), attribute->ClassNumber);
}

std::unique_ptr<TMethode> TMethode::BoundTo(TObjekt& self) const {
    std::unique_ptr<TMethode> bound(new TMethode(*this));
    if (Kind == mkObjectMethod && !bound->Owner) bound->Owner = &self;
    if (Kind == mkSetter && !bound->Attribute && AttributeIndex >= 0 &&
        static_cast<std::size_t>(AttributeIndex) < self.Attributes().size()) {
        bound->Attribute = self.Attributes()[AttributeIndex].get();
        bound->Owner = &self;
    }
    return bound;
}

TMethode::TMethode(const TAttribut& attribute, std::int32_t index)
    : Kind(mkSetter), Name(attribute.Name + "Setzen"), AttributeIndex(index) {
    AddParameter(attribute.Name, attribute.Value.Kind(), attribute.ClassNumber);
}

void TMethode::AddParameter(std::string name, TKind kind, std::int32_t classNumber,
                            bool byReference) {
    Parameters.push_back(TParameter{std::move(name), kind, classNumber, byReference});
}

const TParameter* TMethode::FindParameter(std::string_view name) const {
    for (const TParameter& parameter : Parameters)
        if (parameter.Name == name) return &parameter;
    return nullptr;
}

// The stack height is repaired afterwards so that a built-in that pushes the
// wrong number of values cannot make the interpreter take one of its own
// operands as the result.
const char* TMethode::Invoke(TStack& stack, TObjekt* self) {
    const int base = std::max(0, stack.Count() - static_cast<int>(Parameters.size()));
    const char* message = nullptr;
    switch (Kind) {
    case mkObjectMethod:
        if (TObjekt* target = self ? self : Owner) {
            // Noted afterwards: a probe that settles an owed paint first
            // must not find the picture changed by its own call.
            if (ChangesNothing) {
                target->CallMethod(MethodNumber, stack);
            } else {
                // verschieben(0, 0) and the like need not repaint.
                TShapeState before;
                const bool known = target->ShapeState(before);
                target->CallMethod(MethodNumber, stack);
                TShapeState after;
                if (!known || !target->ShapeState(after) || !(before == after)) TObjekt::NoteChange(target);
            }
            message = std::exchange(target->MethodError, nullptr);
        }
        break;
    case mkFunction:
        if (Function) message = Function(Context, stack);
        break;
    case mkProgramMethod:
        return nullptr;
    case mkSetter: {
        TAttribut* attribute = Attribute;
        if (self && AttributeIndex >= 0 && static_cast<std::size_t>(AttributeIndex) < self->Attributes().size())
            attribute = self->Attributes()[AttributeIndex].get();
        if (!attribute) break;
        TVariant none;
        TVariant* argument = stack.Peek();
        // The slot object survives the pop until the next push.
        if (stack.Count() > base && argument) {
            stack.Drop();
        } else {
            argument = &none;
        }
        attribute->Store(*argument);
        break;
    }
    }
    if (message || !Result) {
        stack.Truncate(base);
    } else if (stack.Count() <= base) {
        stack.Truncate(base);
        stack.PushBoolean(false);
        stack.Peek()->SetKind(Result->Kind);
    }
    return message;
}

// ------------------------------------------------------------- TMemberTable

TMemberTable::TMemberTable(const TMemberTable& other) {
    Methods.reserve(other.Methods.size());
    for (const auto& method : other.Methods) Methods.push_back(std::unique_ptr<TMethode>(new TMethode(*method)));
}

namespace {

bool SameParameter(const TParameter& a, const TParameter& b) {
    return a.Name == b.Name && a.Kind == b.Kind && a.ClassNumber == b.ClassNumber && a.ByReference == b.ByReference;
}

bool SameMethod(const TMethode& a, const TMethode& b) {
    if (a.Kind != b.Kind || a.Hidden != b.Hidden || a.ChangesNothing != b.ChangesNothing || a.Name != b.Name ||
        a.Owner != b.Owner ||
        a.MethodNumber != b.MethodNumber || a.Function != b.Function || a.Context != b.Context ||
        a.BodyPosition != b.BodyPosition || a.BodyEnd != b.BodyEnd || a.Attribute != b.Attribute || a.AttributeIndex != b.AttributeIndex ||
        a.Parameters.size() != b.Parameters.size() || a.Result.has_value() != b.Result.has_value())
        return false;
    if (a.Result && !SameParameter(*a.Result, *b.Result)) return false;
    for (std::size_t i = 0; i < a.Parameters.size(); ++i)
        if (!SameParameter(a.Parameters[i], b.Parameters[i])) return false;
    return true;
}

// Names longer than this are looked up by a plain search.
constexpr std::size_t IndexedNameLength = 64;

void UpperAscii(std::string_view name, char* out) {
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        out[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
}

} // namespace

bool TMemberTable::SameAs(const TMemberTable& other) const {
    if (Methods.size() != other.Methods.size()) return false;
    for (std::size_t i = 0; i < Methods.size(); ++i)
        if (!SameMethod(*Methods[i], *other.Methods[i])) return false;
    return true;
}

void TMemberTable::BuildIndex() {
    Index.clear();
    for (std::size_t i = 0; i < Methods.size(); ++i) {
        const std::string& name = Methods[i]->Name;
        if (name.size() > IndexedNameLength) continue;
        std::string upper(name.size(), ' ');
        UpperAscii(name, upper.data());
        Index.push_back(TEntry{std::move(upper), static_cast<std::int32_t>(i)});
    }
    std::sort(Index.begin(), Index.end(), [](const TEntry& a, const TEntry& b) {
        return a.Upper != b.Upper ? a.Upper < b.Upper : a.Index < b.Index;
    });
}

TMethode* TMemberTable::Find(std::string_view name) const {
    if (!Shared || name.size() > IndexedNameLength) {
        for (const auto& method : Methods)
            if (!method->Hidden && SameName(method->Name, name)) return method.get();
        return nullptr;
    }
    char buffer[IndexedNameLength];
    UpperAscii(name, buffer);
    const std::string_view key(buffer, name.size());
    auto entry = std::lower_bound(Index.begin(), Index.end(), key,
                                  [](const TEntry& e, std::string_view k) { return std::string_view(e.Upper) < k; });
    for (; entry != Index.end() && entry->Upper == key; ++entry)
        if (!Methods[entry->Index]->Hidden) return Methods[entry->Index].get();
    return nullptr;
}

// ---------------------------------------------------------------- TObjekt

std::atomic<std::int64_t> TObjekt::Live{0};
std::atomic<std::uint64_t> TObjekt::ChangeCount{0};
std::atomic<std::uint64_t> TObjekt::CommonChange{0};

std::int64_t TObjekt::LiveCount() { return Live.load(std::memory_order_relaxed); }

// A new object is shown nowhere yet, and whoever shows or holds a freed one
// is told (TFigurWatcher) and notes that change itself.
TObjekt::TObjekt(std::string name, TObjekt* owner)
    : Name(std::move(name)), Owner(owner), Table(new TMemberTable) {
    Live.fetch_add(1, std::memory_order_relaxed);
    ChangeCount.fetch_add(1, std::memory_order_relaxed);
}

TObjekt::~TObjekt() {
    for (auto& attribute : AttributeList) delete attribute->Value.AsObject();
    if (!Table->Shared) delete Table;
    Live.fetch_sub(1, std::memory_order_relaxed);
    ChangeCount.fetch_add(1, std::memory_order_relaxed);
}

void TObjekt::NoteChange(TObjekt* object) {
    if (!object) return NoteChange();
    const std::uint64_t stamp = ChangeCount.fetch_add(1, std::memory_order_relaxed) + 1;
    object->StampParts(stamp);
    // Owners own what they hold, so the chain ends.
    for (; object; object = object->Owner) object->ChangeStamp = stamp;
}

void TObjekt::Assign(const TObjekt&) {}

void TShapeState::Add(double value) { Add(NumberChars::BitCast<std::uint64_t>(value)); }

bool TShapeState::AddAttributes(const TObjekt& object, int depth) {
    for (const auto& attribute : object.Attributes()) {
        const TVariant& v = attribute->Value;
        Add(std::uint64_t{v.Kind()});
        switch (v.Kind()) {
        case vkBoolean: Add(std::uint64_t{v.AsBoolean()}); break;
        case vkChar: Add(std::uint64_t{v.AsChar()}); break;
        case vkInteger: Add(static_cast<std::uint64_t>(std::int64_t{v.AsInteger()})); break;
        case vkReal: Add(v.AsDouble()); break;
        case vkObjekt:
            // A colour is told by its components; deeper objects are not.
            Add(std::uint64_t{v.AsObject() != nullptr});
            if (v.AsObject() && (depth > 0 || !AddAttributes(*v.AsObject(), depth + 1))) return false;
            break;
        case vkNone: break;
        default: return false;
        }
    }
    return true;
}

bool TShapeState::operator==(const TShapeState& other) const {
    return Count == other.Count && Count <= Capacity && std::equal(Words.begin(), Words.begin() + Count, other.Words.begin());
}

TAttribut* TObjekt::AddAttribute(std::unique_ptr<TAttribut> attribute) {
    AttributeList.push_back(std::move(attribute));
    return AttributeList.back().get();
}

TAttribut* TObjekt::AddAttribute(std::string_view name, std::int32_t classNumber, TKind kind) {
    return AddAttribute(std::make_unique<TAttribut>(name, classNumber, kind, this));
}

TMemberTable& TObjekt::OwnTable() {
    if (Table->Shared) Table = new TMemberTable(*Table);
    BoundMethods.reset();
    return *Table;
}

TMethode* TObjekt::AddMethod(std::unique_ptr<TMethode> method) {
    TMemberTable& table = OwnTable();
    table.Methods.push_back(std::move(method));
    return table.Methods.back().get();
}

// The method runs on whichever object it is invoked for, so that all
// objects of the class can share it.
TMethode* TObjekt::AddMethod(std::string name, std::int32_t methodNumber, TKind resultKind,
                             std::int32_t resultClassNumber) {
    return AddMethod(std::make_unique<TMethode>(std::move(name), resultClassNumber, resultKind,
                                                methodNumber, nullptr));
}

void TObjekt::AddSetters(bool noSetters) {
    if (!noSetters) {
        for (std::size_t i = 0; i < AttributeList.size(); ++i) {
            const TAttribut& attribute = *AttributeList[i];
            if (attribute.Hidden) continue;
            AddMethod(std::make_unique<TMethode>(attribute, static_cast<std::int32_t>(i)));
        }
    }
    ShareTable();
}

void TObjekt::HideMethod(std::size_t place) {
    TMemberTable& table = OwnTable();
    if (place < table.Methods.size()) table.Methods[place]->Hidden = true;
}

void TObjekt::ShareTable() {
    AttributeList.shrink_to_fit();
    if (Table->Shared) return;
    for (const auto& method : Table->Methods)
        if (method->Owner || method->Attribute || method->Kind == mkFunction || method->Kind == mkProgramMethod)
            return;  // bound to this object or to a program: not the class's
    // A class whose objects are built differently keeps a few tables; beyond
    // that each object keeps its own.
    constexpr std::size_t MaxTablesPerClass = 4;
    static std::mutex mutex;
    static auto* registry = new std::unordered_map<std::type_index, std::vector<TMemberTable*>>;
    const std::lock_guard lock(mutex);
    auto& tables = (*registry)[std::type_index(typeid(*this))];
    for (const auto& table : tables) {
        if (table->SameAs(*Table)) {
            delete Table;
            Table = table;
            BoundMethods.reset();
            return;
        }
    }
    if (tables.size() >= MaxTablesPerClass) return;
    Table->BuildIndex();
    Table->Shared = true;
    tables.push_back(Table);
}

TAttribut* TObjekt::FindAttribute(std::string_view name) const {
    for (auto& attribute : AttributeList)
        if (!attribute->Hidden && SameName(attribute->Name, name)) return attribute.get();
    return nullptr;
}

TMethode* TObjekt::FindClassMethod(std::string_view name) const { return Table->Find(name); }

TMethode* TObjekt::FindMethod(std::string_view name) const {
    const TMethode* method = Table->Find(name);
    if (!method) return nullptr;
    if (!BoundMethods) {
        BoundMethods = std::make_unique<std::vector<std::unique_ptr<TMethode>>>();
        BoundMethods->reserve(Table->Methods.size());
        for (const auto& m : Table->Methods) BoundMethods->push_back(m->BoundTo(*const_cast<TObjekt*>(this)));
    }
    const auto place = std::find_if(Table->Methods.begin(), Table->Methods.end(),
                                    [method](const auto& m) { return m.get() == method; });
    return (*BoundMethods)[static_cast<std::size_t>(place - Table->Methods.begin())].get();
}

TAttribut* TObjekt::FindAttributeAny(std::string_view name) const {
    for (auto& attribute : AttributeList)
        if (SameName(attribute->Name, name)) return attribute.get();
    return nullptr;
}
