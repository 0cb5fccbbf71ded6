#pragma once

// Builds one visitor from several lambdas, one per alternative of a variant:
// std::visit(Overloaded{[](const A &) {...}, [](const B &) {...}}, value).
template <typename... Handlers>
struct Overloaded : Handlers...
{
    using Handlers::operator()...;
};
