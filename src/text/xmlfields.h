// Fields bound once to the tags that set them: a piece's loader reads them and its Clone copies
// them from the one list, so that a field read from a file cannot be left out of a copy.
#pragma once

#include <string>
#include <tuple>

#include "text/parser.h"

// One field (a pointer to an int, float or string member) and the tag its value is read from.
template <class Member>
struct XmlField {
    const char* tag;
    Member member;
};
template <class Member>
XmlField(const char*, Member) -> XmlField<Member>;

// The fields of one type, in the order its loader reads them. A tuple, so that reading and
// copying them compile to the plain reads and assignments they stand for.
template <class... Members>
struct XmlFields {
    std::tuple<XmlField<Members>...> fields;
    constexpr explicit XmlFields(XmlField<Members>... each) : fields(each...) {}
};

// Calls act on each field of the list, in order.
template <class... Members, class Act>
constexpr void ForEachXmlField(const XmlFields<Members...>& list, Act&& act) {
    std::apply([&](const auto&... field) { (act(field), ...); }, list.fields);
}

inline void SetFromXML(int& variable, const std::string& xml, const char* tag) { SetIntFromXML(variable, xml, tag); }
inline void SetFromXML(float& variable, const std::string& xml, const char* tag) {
    SetFloatFromXML(variable, xml, tag);
}
inline void SetFromXML(std::string& variable, const std::string& xml, const char* tag) {
    SetStringFromXML(variable, xml, tag);
}

// Each field set from its tag as Set...FromXML sets it: a tag the element lacks, or a value its
// kind refuses, leaves the field as it was.
template <class T, class... Members>
void LoadXmlFields(T& object, const std::string& xml, const XmlFields<Members...>& list) {
    ForEachXmlField(list, [&](const auto& field) { SetFromXML(object.*field.member, xml, field.tag); });
}

template <class T, class... Members>
void CopyXmlFields(T& to, const T& from, const XmlFields<Members...>& list) {
    ForEachXmlField(list, [&](const auto& field) { to.*field.member = from.*field.member; });
}
