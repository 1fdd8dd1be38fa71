#include <new>

#include "frame/reridu_exports.h"
#include "proxy/proxy_object.h"

bool __cdecl CreateProxyObj(IProxy** out) {
    if (out == nullptr) return false;
    IProxy* object = new (std::nothrow) proxy::CProxyObject;
    if (object == nullptr) return false;
    *out = object;
    return true;
}

void __cdecl DeleteProxyObj(IProxy* object) {
    if (object != nullptr) object->DeletingDestructor(1);
}
