#pragma once

namespace Quorvel { namespace Base { namespace Template {

// A callable a thread can run instead of its own body.
class function_callback {
public:
    virtual void invoke() = 0;
    virtual ~function_callback() = default;
    virtual void set_object(void* object) = 0;
};

// Calls a member operation without arguments on a target object.
template <class T>
class function_callback_vm0 : public function_callback {
public:
    typedef void (T::*Method)();

    function_callback_vm0(T* object, Method method) : m_object(object), m_method(method) {}

    void invoke() override
    {
        if (m_object && m_method)
            (m_object->*m_method)();
    }
    void set_object(void* object) override { m_object = static_cast<T*>(object); }

private:
    T* m_object;
    Method m_method;
};

}}} // namespace Quorvel::Base::Template
