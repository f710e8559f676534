#pragma once

#include <array>
#include <span>

enum class ActionButton { Clear, Stop, Start, Import };

struct ButtonWrite {
    ActionButton button;
    bool enabled;

    bool operator==(const ButtonWrite&) const = default;
};

// A button state is an ordered sequence of single writes, not one unit: a handler on the main
// thread may run between two writes that the run applies from its thread.
using ButtonState = std::span<const ButtonWrite>;

inline constexpr std::array<ButtonWrite, 0> ButtonsInitial{};
inline constexpr std::array ButtonsRunning{
    ButtonWrite{ActionButton::Clear, false}, ButtonWrite{ActionButton::Stop, false},
    ButtonWrite{ActionButton::Start, false}, ButtonWrite{ActionButton::Import, false},
    ButtonWrite{ActionButton::Stop, true}};
inline constexpr std::array ButtonsStopped{
    ButtonWrite{ActionButton::Clear, true}, ButtonWrite{ActionButton::Stop, false},
    ButtonWrite{ActionButton::Start, false}, ButtonWrite{ActionButton::Import, false},
    ButtonWrite{ActionButton::Stop, false}};
inline constexpr std::array ButtonsCleared{
    ButtonWrite{ActionButton::Clear, false}, ButtonWrite{ActionButton::Stop, false},
    ButtonWrite{ActionButton::Start, false}, ButtonWrite{ActionButton::Import, true}};
inline constexpr std::array ButtonsKeywordEdited{ButtonWrite{ActionButton::Start, true}};
