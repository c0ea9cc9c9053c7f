// Table rows compare their results as tuples; a failure prints both in full.
#pragma once
#include <doctest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <type_traits>

namespace doctest {
template <typename... T> struct StringMaker<std::tuple<T...>> {
    template <typename V> static void Put(std::ostringstream& out, const V& v)
    {
        if constexpr (std::is_enum_v<std::decay_t<V>>) out << static_cast<long long>(v);
        else if constexpr (std::is_arithmetic_v<std::decay_t<V>>) out << +v;
        else if constexpr (std::is_constructible_v<std::string, V>) out << v;
        else out << toString(v);  // a nested tuple
    }
    static String convert(const std::tuple<T...>& row)
    {
        std::ostringstream out;
        std::apply([&](const auto&... v) { ((Put(out, v), out << ' '), ...); }, row);
        return ("(" + out.str() + ")").c_str();
    }
};
}  // namespace doctest
