#include "base/math/Counter.h"

namespace Quorvel { namespace Base { namespace Math {

namespace {
// Absolute value without the undefined negation of INT32_MIN.
int32_t Magnitude(int32_t v)
{
    if (v >= 0)
        return v;
    return v == INT32_MIN ? INT32_MAX : -v;
}
} // namespace

void CCounterBase::Start(int32_t from, int32_t to, int32_t steps)
{
    m_start = from;
    m_end = to;
    m_steps = steps == 0 ? 1 : Magnitude(steps);
    SetStep(0);
}

void CCounterBase::Next()
{
    if (IsEnd())
        return;
    ++m_step;
    Update();
}

void CCounterBase::Prev()
{
    if (IsBegin())
        return;
    --m_step;
    Update();
}

void CCounterBase::SetStep(int32_t step)
{
    m_step = Magnitude(step);
    Update();
}

void CCounterBase::Update()
{
    if (m_step < 0)
        m_step = 0;
    if (m_step > m_steps)
        m_step = m_steps;
    if (IsBegin())
        m_value = m_start;
    else if (IsEnd())
        m_value = m_end;
    else
        m_value = ValueAt(m_step);
}

int32_t CLinearCounter::ValueAt(int32_t step) const
{
    const int32_t b = GetStart();
    const int32_t d = GetSteps();
    if (d <= 0)
        return b;
    // 32-bit arithmetic, product first, division toward zero; wrap-around is
    // done in unsigned arithmetic so that extreme ranges stay defined.
    const int32_t span = static_cast<int32_t>(static_cast<uint32_t>(GetEnd()) - static_cast<uint32_t>(b));
    const int32_t product = static_cast<int32_t>(static_cast<uint32_t>(span) * static_cast<uint32_t>(step));
    return static_cast<int32_t>(static_cast<uint32_t>(b) + static_cast<uint32_t>(product / d));
}

}}} // namespace Quorvel::Base::Math
