// Table rows: CHECK_ROW((key columns), (results), (expected)) prints the row's key beside both sides of a failure.
// The results are evaluated in no set order: a result that a call in the same row changes must be a variable.
#pragma once
#include <doctest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <tuple>
#include <type_traits>

#define CHECK_ROW(key, actual, expected) \
    CHECK(std::tuple(std::tuple key, std::tuple actual) == std::tuple(std::tuple key, std::tuple expected))
template <typename Point> std::tuple<int32_t, int32_t> XY(const Point& point) { return {point.X, point.Y}; }

template <typename... T> struct doctest::StringMaker<std::tuple<T...>> {
    template <typename V> static void Put(std::ostringstream& out, const V& v)
    {
        if constexpr (std::is_enum_v<V> || std::is_arithmetic_v<V>) out << ' ' << +static_cast<std::conditional_t<std::is_enum_v<V>,
        long long, V>>(v);
        else if constexpr (std::is_constructible_v<std::string, V>) out << " \"" << v << '"';
        else out << ' ' << toString(v);  // a nested tuple
    }
    static String convert(const std::tuple<T...>& row)
    {
        std::ostringstream out;
        std::apply([&](const auto&... v) { (Put(out, v), ...); }, row);
        return ("(" + out.str() + " )").c_str();
    }
};
