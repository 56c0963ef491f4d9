#include "app/cli/json_writer.h"

#include "core/text.h"

#include <cmath>
#include <cstdio>

namespace zov::cli {

void JsonWriter::separate()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back())
            m_out += ',';
        m_first.back() = false;
    }
}

JsonWriter& JsonWriter::beginObject()
{
    separate();
    m_out += '{';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endObject()
{
    m_out += '}';
    m_first.pop_back();
    return *this;
}

JsonWriter& JsonWriter::beginArray()
{
    separate();
    m_out += '[';
    m_first.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endArray()
{
    m_out += ']';
    m_first.pop_back();
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name)
{
    separate();
    writeString(name);
    m_out += ':';
    m_afterKey = true;
    return *this;
}

JsonWriter& JsonWriter::value(float v)
{
    if (!std::isfinite(v))
        return null();
    separate();
    m_out += formatRoundTrip(v);
    return *this;
}

JsonWriter& JsonWriter::value(double v)
{
    return value(static_cast<float>(v));
}

JsonWriter& JsonWriter::value(int v)
{
    separate();
    m_out += std::to_string(v);
    return *this;
}

JsonWriter& JsonWriter::value(bool v)
{
    separate();
    m_out += v ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null()
{
    separate();
    m_out += "null";
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text)
{
    separate();
    writeString(text);
    return *this;
}

void JsonWriter::writeString(std::string_view text)
{
    m_out += '"';
    for (unsigned char c : text) {
        switch (c) {
        case '"': m_out += "\\\""; break;
        case '\\': m_out += "\\\\"; break;
        case '\n': m_out += "\\n"; break;
        case '\r': m_out += "\\r"; break;
        case '\t': m_out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                m_out += buf;
            } else {
                m_out += static_cast<char>(c);
            }
        }
    }
    m_out += '"';
}

}  // namespace zov::cli
