// Functions that fold the sources' values at each index in list order: subtract, multiply and
// divide. Over a single source they answer 0.
#pragma once

#include "chart/engine/Function.h"

namespace kiv {

// The base of the functions that combine the sources' values at each point in turn.
class TManySeriesKivFunction : public TKivFunction {
public:
    // The first source with the index starts the running value; each later one with the
    // index is combined into it.
    double CalculateAcross(const std::vector<TComponent*>& sources, int index) const override;
    virtual double CombineValues(double running, double value) const = 0;
};

// The first source's value minus the others' at each point.
class TSubtractKivFunction : public TManySeriesKivFunction {
public:
    double CombineValues(double running, double value) const override { return running - value; }
};

// The product of the sources' values at each point.
class TMultiplyKivFunction : public TManySeriesKivFunction {
public:
    double CombineValues(double running, double value) const override { return running * value; }
};

// A zero operand leaves the running value as it is.
class TDivideKivFunction : public TManySeriesKivFunction {
public:
    double CombineValues(double running, double value) const override {
        return value != 0 ? running / value : running;
    }
};

} // namespace kiv
