#pragma once
#include <cstdint>

namespace Quorvel { namespace Base { namespace Math {

// Steps an integer from a start value to an end value in a fixed number of steps;
// the owner advances it once per tick, which makes it a tick-driven tween.
class ICounter {
public:
    virtual void Start(int32_t from, int32_t to, int32_t steps) = 0;
    virtual int32_t GetValue() const = 0;
    virtual void Next() = 0;
    virtual void Prev() = 0;
    virtual void SetStep(int32_t step) = 0;
    virtual int32_t GetStep() const = 0;
    virtual bool IsBegin() const = 0;
    virtual bool IsEnd() const = 0;
    virtual int32_t GetStart() const = 0;
    virtual int32_t GetEnd() const = 0;
    virtual int32_t GetSteps() const = 0;
    virtual ~ICounter() = default;
};

class CCounterBase : public ICounter {
public:
    void Start(int32_t from, int32_t to, int32_t steps) override;
    int32_t GetValue() const override { return m_value; }
    void Next() override;
    void Prev() override;
    void SetStep(int32_t step) override;
    int32_t GetStep() const override { return m_step; }
    bool IsBegin() const override { return m_step == 0; }
    bool IsEnd() const override { return m_step == m_steps; }
    int32_t GetStart() const override { return m_start; }
    int32_t GetEnd() const override { return m_end; }
    int32_t GetSteps() const override { return m_steps; }
    // The value between the two ends; the ends themselves are never asked for.
    virtual int32_t ValueAt(int32_t step) const = 0;

private:
    void Update();

    int32_t m_start = 0;
    int32_t m_end = 0;
    int32_t m_step = 0;
    int32_t m_steps = 0;
    int32_t m_value = 0;
};

class CLinearCounter : public CCounterBase {
public:
    int32_t ValueAt(int32_t step) const override;
};

}}} // namespace Quorvel::Base::Math
