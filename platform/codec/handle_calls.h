// Entries that only forward to the object behind their handle. A handle that is 0 or of
// another kind answers zero (0 from the yes/no and cannot-fail forms). Internal to the
// codec library; the calls run on the caller's thread.
#pragma once

#include "handle_kinds.h"

#include <type_traits>

namespace calvorine::codec {

template <typename Object, typename Call> using CallResult = std::decay_t<std::invoke_result_t<Call, Object&>>;

// The call's result, or the zero of its type.
template <typename Object, typename Handle, typename Call>
CallResult<Object, Call> askObject(Handle handle, Call call) {
    Object* object = fromHandle<Object>(handle);
    return object ? call(*object) : CallResult<Object, Call>{};
}

// 1 when the call reports success.
template <typename Object, typename Handle, typename Call> int objectSucceeds(Handle handle, Call call) {
    Object* object = fromHandle<Object>(handle);
    return object && call(*object) ? 1 : 0;
}

// A call that cannot fail: 1 when the handle is right.
template <typename Object, typename Handle, typename Call> int runOnObject(Handle handle, Call call) {
    Object* object = fromHandle<Object>(handle);
    if (!object) {
        return 0;
    }
    call(*object);
    return 1;
}

} // namespace calvorine::codec
