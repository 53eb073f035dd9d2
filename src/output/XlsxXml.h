#pragma once

// Small XML helpers of the xlsx engine. The parts of a workbook are patched
// as text so that what is not changed keeps its exact bytes; these helpers
// find element boundaries and rewrite one start tag at a time.

#include <QByteArray>

#include <algorithm>
#include <utility>
#include <vector>

namespace XlsxXml {

inline bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

inline bool isNameEnd(char c)
{
    return isSpace(c) || c == '>' || c == '/';
}

// Index just past the '>' closing the tag that starts at `from`; attribute
// values may hold '>' and are skipped as a whole. -1 when unterminated.
inline int tagEnd(const QByteArray& s, int from)
{
    char quote = 0;
    const char* d = s.constData();
    for (int i = from + 1; i < s.size(); ++i) {
        const char c = d[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return i + 1;
        }
    }
    return -1;
}

inline bool isSelfClosing(const QByteArray& s, int end)
{
    return end >= 2 && s[end - 2] == '/';
}

// Position of "<name" as a whole element name at or after `from`, before `to`.
inline int findStartTag(const QByteArray& s, const QByteArray& name, int from, int to = -1)
{
    const QByteArray needle = '<' + name;
    if (to < 0)
        to = s.size();
    for (int i = s.indexOf(needle, from); i >= 0 && i < to; i = s.indexOf(needle, i + 1)) {
        const int after = i + needle.size();
        if (after < s.size() && isNameEnd(s[after]))
            return i;
    }
    return -1;
}

// Where the value of attribute `key` lies in the start tag s[from, to)
// (still escaped), without taking the tag apart: the cells of a row are
// many and each needs only its reference. False when the tag has no such
// attribute or is malformed.
inline bool findAttr(const QByteArray& s, int from, int to, QByteArrayView key, int* valueStart, int* valueEnd)
{
    const char* d = s.constData();
    int i = from + 1;
    while (i < to && !isNameEnd(d[i]))
        ++i;
    while (i < to) {
        while (i < to && isSpace(d[i]))
            ++i;
        if (i >= to || d[i] == '/' || d[i] == '>')
            return false;
        const int nameStart = i;
        while (i < to && d[i] != '=' && !isSpace(d[i]))
            ++i;
        const QByteArrayView name(d + nameStart, i - nameStart);
        while (i < to && isSpace(d[i]))
            ++i;
        if (i >= to || d[i] != '=')
            return false;
        ++i;
        while (i < to && isSpace(d[i]))
            ++i;
        if (i >= to || (d[i] != '"' && d[i] != '\''))
            return false;
        const char q = d[i++];
        const int start = i;
        while (i < to && d[i] != q)
            ++i;
        if (i >= to)
            return false;
        if (name == key) {
            *valueStart = start;
            *valueEnd = i;
            return true;
        }
        ++i;
    }
    return false;
}

// One start tag split into its name and attributes (values kept as they
// are written, i.e. still escaped), so that one attribute can be changed
// and the others written back unchanged.
struct StartTag {
    QByteArray name;
    std::vector<std::pair<QByteArray, QByteArray>> attrs;
    bool selfClosing = false;

    static bool parse(const QByteArray& tag, StartTag* out)
    {
        int i = 1;
        const int n = tag.size();
        while (i < n && !isNameEnd(tag[i]))
            ++i;
        out->name = tag.mid(1, i - 1);
        out->attrs.clear();
        out->selfClosing = false;
        while (i < n) {
            while (i < n && isSpace(tag[i]))
                ++i;
            if (i >= n)
                return false;
            if (tag[i] == '/') {
                out->selfClosing = true;
                return true;
            }
            if (tag[i] == '>')
                return true;
            const int nameStart = i;
            while (i < n && tag[i] != '=' && !isSpace(tag[i]))
                ++i;
            const QByteArray attrName = tag.mid(nameStart, i - nameStart);
            while (i < n && isSpace(tag[i]))
                ++i;
            if (i >= n || tag[i] != '=')
                return false;
            ++i;
            while (i < n && isSpace(tag[i]))
                ++i;
            if (i >= n || (tag[i] != '"' && tag[i] != '\''))
                return false;
            const char q = tag[i++];
            const int valueStart = i;
            while (i < n && tag[i] != q)
                ++i;
            if (i >= n)
                return false;
            out->attrs.emplace_back(attrName, tag.mid(valueStart, i - valueStart));
            ++i;
        }
        return false;
    }

    const QByteArray* attr(const char* key) const
    {
        for (const auto& a : attrs)
            if (a.first == key)
                return &a.second;
        return nullptr;
    }
    // Returns true when the tag changed.
    bool set(const char* key, const QByteArray& value)
    {
        for (auto& a : attrs) {
            if (a.first == key) {
                if (a.second == value)
                    return false;
                a.second = value;
                return true;
            }
        }
        attrs.emplace_back(QByteArray(key), value);
        return true;
    }
    bool remove(const char* key)
    {
        const auto it = std::find_if(attrs.begin(), attrs.end(), [key](const auto& a) { return a.first == key; });
        if (it == attrs.end())
            return false;
        attrs.erase(it);
        return true;
    }
    QByteArray attributeText() const
    {
        QByteArray out;
        for (const auto& a : attrs) {
            out += ' ';
            out += a.first;
            out += "=\"";
            out += a.second;
            out += '"';
        }
        return out;
    }
    QByteArray toBytes() const { return '<' + name + attributeText() + (selfClosing ? "/>" : ">"); }
};

// Rewrites the start tag at `pos` with `edit`; returns true when it changed.
template <typename Edit>
bool editTagAt(QByteArray* s, int pos, Edit edit)
{
    const int end = tagEnd(*s, pos);
    if (end < 0)
        return false;
    StartTag tag;
    if (!StartTag::parse(s->mid(pos, end - pos), &tag))
        return false;
    if (!edit(tag))
        return false;
    s->replace(pos, end - pos, tag.toBytes());
    return true;
}

}  // namespace XlsxXml
