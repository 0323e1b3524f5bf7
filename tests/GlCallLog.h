// Recording wrappers for the engine's GL entry points: a test puts a recorder into an entry-point pointer for
// a scope, the engine's calls go through it to the driver, and the test reads back which calls were made.
#pragma once

#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

#include "GlExtensions.h"

// One recorded call: the entry point's name and its arguments as integers (pointers as addresses).
struct TGlCall {
    std::string Name;
    std::vector<long long> Arguments;
    bool operator==(const TGlCall&) const = default;
};

inline std::vector<TGlCall>& GlCalls() {
    static std::vector<TGlCall> calls;
    return calls;
}

template <typename T>
long long AsInteger(T value) {
    if constexpr (std::is_pointer_v<T>)
        return static_cast<long long>(reinterpret_cast<std::uintptr_t>(value));
    else
        return static_cast<long long>(value);
}

template <auto* Slot, typename TFunction = std::remove_reference_t<decltype(*Slot)>>
struct TRecorder;

template <auto* Slot, typename TResult, typename... TArguments>
struct TRecorder<Slot, TResult (*)(TArguments...)> {
    static inline TResult (*Driver)(TArguments...) = nullptr;
    static inline const char* Name = "";

    static TResult Call(TArguments... arguments) {
        GlCalls().push_back({Name, {AsInteger(arguments)...}});
        return Driver(arguments...);
    }
};

// Records every call through one entry point while it lives, then puts the driver's pointer back.
template <auto* Slot>
class TRecord {
    using TWrapper = TRecorder<Slot>;

public:
    explicit TRecord(const char* name) {
        TWrapper::Name = name;
        TWrapper::Driver = *Slot;
        *Slot = &TWrapper::Call;
    }
    ~TRecord() { *Slot = TWrapper::Driver; }
    TRecord(const TRecord&) = delete;
    TRecord& operator=(const TRecord&) = delete;
};

#define RECORD_GL(name) \
    TRecord<&Gl::name> Record_##name { #name }

// The recorded calls of one entry point, in order.
inline std::vector<TGlCall> CallsTo(const std::string& name) {
    std::vector<TGlCall> calls;
    for (const TGlCall& call : GlCalls())
        if (call.Name == name) calls.push_back(call);
    return calls;
}
