// Growing the game's arrays by one: the one body behind every AppendNewX function.
#pragma once

#include <memory>
#include <type_traits>
#include <vector>

#include "core/debuglog.h"

template <class E>
inline constexpr bool kIsSharedPtr = false;
template <class T>
inline constexpr bool kIsSharedPtr<std::shared_ptr<T>> = true;

// A copy of array with one new element at the end: a fresh object in an array of objects,
// zero or empty text in an array of plain values. A failure is logged under label and yields
// an empty array; a null label leaves the failure to the caller, for the arrays that have no
// handler of their own.
template <class E>
std::vector<E> AppendNew(const char* label, const std::vector<E>& array) {
    auto grow = [&] {
        std::vector<E> grown(array);
        if constexpr (kIsSharedPtr<E>) {
            grown.push_back(std::make_shared<typename E::element_type>());
        } else {
            grown.push_back(E());
        }
        return grown;
    };
    if (!label) return grow();
    return Guarded(label, std::vector<E>(), grow);
}
