// Binds a test's lambda to an event property: the holder is the event's object and must
// outlive every call, so tests keep it on their stack beside the object that fires the event.
#pragma once

#include "framework/Events.h"

#include <functional>
#include <utility>

template <class Signature> class TLambdaHandler;

template <class R, class... Args> class TLambdaHandler<R(Args...)> {
public:
    explicit TLambdaHandler(std::function<R(Args...)> body) : FBody(std::move(body)) {}
    TLambdaHandler(const TLambdaHandler&) = delete;
    TLambdaHandler& operator=(const TLambdaHandler&) = delete;

    TMethodEvent<R(Args...)> Event() {
        return TMethodEvent<R(Args...)>(this, &TLambdaHandler::Call);
    }

private:
    R Call(Args... args) { return FBody(std::forward<Args>(args)...); }
    std::function<R(Args...)> FBody;
};
