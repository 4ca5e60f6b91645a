#pragma once

#include "sprite/CSprite.h"

#include <type_traits>

// The script sprite reaches some engine operations that arrive with later sprite work (movies, split
// actions, displacement maps, image saving, the scene sprite's refresh). These helpers call such an
// operation when CSprite has it; until then a call does nothing and a query answers its fallback.
namespace Orvane::Squirrel::EngineCalls
{

template <class Call> void callWhenPresent(CSprite* sprite, Call&& call)
{
    if constexpr (std::is_invocable_v<Call, CSprite*>) call(sprite);
}

template <class R, class Query> R queryWhenPresent(CSprite* sprite, R fallback, Query&& query)
{
    if constexpr (std::is_invocable_v<Query, CSprite*>)
        return R(query(sprite));
    else
        return fallback;
}

} // namespace Orvane::Squirrel::EngineCalls

#define ORVANE_ENGINE_CALL(sprite, expression)                                                               \
    ::Orvane::Squirrel::EngineCalls::callWhenPresent(                                                        \
        sprite,                                                                                              \
        [&](auto* engineSprite) -> decltype(engineSprite->expression) { return engineSprite->expression; })

#define ORVANE_ENGINE_QUERY(sprite, fallback, expression)                                                    \
    ::Orvane::Squirrel::EngineCalls::queryWhenPresent(                                                       \
        sprite, fallback,                                                                                    \
        [&](auto* engineSprite) -> decltype(engineSprite->expression) { return engineSprite->expression; })
