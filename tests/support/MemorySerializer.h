#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/file/Serialize.h"

// Keeps what a storing pass hands it, in order, and gives it back to a loading pass. A load
// that runs past the stored values reads zeros and empty strings.
class CMemorySerializer : public Quorvel::Base::File::ISerializer {
public:
    bool IsLoading() const override { return m_loading; }
    void StartLoading()
    {
        m_loading = true;
        m_nextInt = m_nextDouble = m_nextString = 0;
    }

    void Serialize(int32_t& value) override { Transfer(m_ints, m_nextInt, value); }
    void Serialize(double& value) override { Transfer(m_doubles, m_nextDouble, value); }
    void Serialize(std::string& value) override { Transfer(m_strings, m_nextString, value); }

    std::vector<int32_t>& Ints() { return m_ints; }
    std::vector<std::string>& Strings() { return m_strings; }

private:
    template <typename T>
    void Transfer(std::vector<T>& store, size_t& next, T& value)
    {
        if (!m_loading)
            store.push_back(value);
        else
            value = next < store.size() ? store[next++] : T();
    }

    bool m_loading = false;
    std::vector<int32_t> m_ints;
    std::vector<double> m_doubles;
    std::vector<std::string> m_strings;
    size_t m_nextInt = 0, m_nextDouble = 0, m_nextString = 0;
};
