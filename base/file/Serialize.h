#pragma once
#include <cstdint>
#include <string>

namespace Quorvel { namespace Base { namespace File {

// The receiver of an object's fields. One serializer either stores (reads the references)
// or loads (assigns them); the object hands its fields in the same fixed order either way.
class ISerializer {
public:
    virtual bool IsLoading() const = 0;
    virtual void Serialize(int32_t& value) = 0;
    virtual void Serialize(double& value) = 0;
    virtual void Serialize(std::string& value) = 0;
    virtual ~ISerializer() = default;
};

// An object whose fields can be handed to a serializer in a fixed order.
class ISerialize {
public:
    virtual void Serialize(ISerializer& serializer) = 0;
    virtual ~ISerialize() = default;
};

}}} // namespace Quorvel::Base::File
