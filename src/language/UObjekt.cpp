#include "UObjekt.h"

#include "UNamen.h"
#include "UStack.h"

#include <algorithm>
#include <utility>

bool ClassAccepts(std::int32_t required, std::int32_t actual) {
    if (required == 0) return actual == 0;
    if (required == -1) return true;  // INT_MIN % -1 would overflow
    return actual % required == 0;
}

// ---------------------------------------------------------------- TAttribut

TAttribut::TAttribut(std::string name, std::int32_t classNumber, TKind kind, TObjekt* owner)
    : Name(std::move(name)), Owner(owner), ClassNumber(classNumber) {
    Value.SetKind(kind);
    Value.SetAttribute(this);
}

void TAttribut::Store(const TVariant& value) {
    TObjekt::NoteChange();
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
    TObjekt::NoteChange(Owner);
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
const char* TMethode::Invoke(TStack& stack) {
    const int base = std::max(0, stack.Count() - static_cast<int>(Parameters.size()));
    const char* message = nullptr;
    switch (Kind) {
    case mkObjectMethod:
        if (Owner) {
            // Noted afterwards: a probe that settles an owed paint first
            // must not find the picture changed by its own call.
            Owner->CallMethod(MethodNumber, stack);
            if (!ChangesNothing) TObjekt::NoteChange(Owner);
            message = std::exchange(Owner->MethodError, nullptr);
        }
        break;
    case mkFunction:
        if (Function) message = Function(Context, stack);
        break;
    case mkProgramMethod:
        return nullptr;
    case mkSetter: {
        if (!Attribute) break;
        TVariant none;
        TVariant* argument = stack.Peek();
        // The slot object survives the pop until the next push.
        if (stack.Count() > base && argument) {
            stack.Drop();
        } else {
            argument = &none;
        }
        Attribute->Store(*argument);
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

// ---------------------------------------------------------------- TObjekt

std::atomic<std::int64_t> TObjekt::Live{0};
std::atomic<std::uint64_t> TObjekt::ChangeCount{0};
std::atomic<std::uint64_t> TObjekt::CommonChange{0};

std::int64_t TObjekt::LiveCount() { return Live.load(std::memory_order_relaxed); }

// A new object is shown nowhere yet, and whoever shows or holds a freed one
// is told (TFigurWatcher) and notes that change itself.
TObjekt::TObjekt(std::string name, TObjekt* owner) : Name(std::move(name)), Owner(owner) {
    Live.fetch_add(1, std::memory_order_relaxed);
    ChangeCount.fetch_add(1, std::memory_order_relaxed);
}

TObjekt::~TObjekt() {
    for (auto& attribute : AttributeList) delete attribute->Value.AsObject();
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

TAttribut* TObjekt::AddAttribute(std::unique_ptr<TAttribut> attribute) {
    AttributeList.push_back(std::move(attribute));
    return AttributeList.back().get();
}

TAttribut* TObjekt::AddAttribute(std::string name, std::int32_t classNumber, TKind kind) {
    return AddAttribute(std::make_unique<TAttribut>(std::move(name), classNumber, kind, this));
}

TMethode* TObjekt::AddMethod(std::unique_ptr<TMethode> method) {
    MethodList.push_back(std::move(method));
    return MethodList.back().get();
}

TMethode* TObjekt::AddMethod(std::string name, std::int32_t methodNumber, TKind resultKind,
                             std::int32_t resultClassNumber) {
    return AddMethod(std::make_unique<TMethode>(std::move(name), resultClassNumber, resultKind,
                                                methodNumber, this));
}

void TObjekt::AddSetters(bool noSetters) {
    if (noSetters) return;
    for (auto& attribute : AttributeList)
        if (!attribute->Hidden) AddMethod(std::make_unique<TMethode>(attribute.get()));
}

TAttribut* TObjekt::FindAttribute(std::string_view name) const {
    for (auto& attribute : AttributeList)
        if (!attribute->Hidden && SameName(attribute->Name, name)) return attribute.get();
    return nullptr;
}

TMethode* TObjekt::FindMethod(std::string_view name) const {
    for (auto& method : MethodList)
        if (!method->Hidden && SameName(method->Name, name)) return method.get();
    return nullptr;
}

TAttribut* TObjekt::FindAttributeAny(std::string_view name) const {
    for (auto& attribute : AttributeList)
        if (SameName(attribute->Name, name)) return attribute.get();
    return nullptr;
}
