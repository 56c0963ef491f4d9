#pragma once
// A minimal JSON writer for zov-cli's machine-readable output. Floats are
// written in their shortest round-trip form, so a reader gets back exactly the
// same 32-bit value.

#include <string>
#include <string_view>
#include <vector>

namespace zov::cli {

class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& value(float v);        // shortest round-trip text; NaN/Inf as null
    JsonWriter& value(double v);       // rounded to float first
    JsonWriter& value(int v);
    JsonWriter& value(bool v);
    JsonWriter& value(std::string_view text);
    JsonWriter& value(const char* text) { return value(std::string_view(text)); }
    JsonWriter& null();

    const std::string& str() const { return m_out; }

private:
    void separate();
    void writeString(std::string_view text);
    std::string m_out;
    std::vector<bool> m_first;  // per open container: no element written yet
    bool m_afterKey = false;
};

}  // namespace zov::cli
