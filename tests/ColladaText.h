// The text of small COLLADA documents for the tests, one function per element, so that a test writes only the
// part it is about. The functions only join text: a test that needs a broken element passes that element as
// text of its own, and line breaks are the caller's, where a test names the line of an element.
#pragma once

#include <cstddef>
#include <sstream>
#include <string>
#include <string_view>

#include "StreamConventions.h"

// A document of the given libraries under a COLLADA root.
inline std::string Collada(std::string_view body) {
    return std::string("<?xml version=\"1.0\"?>\n<COLLADA version=\"1.4.0\">\n") + std::string(body) + "\n</COLLADA>\n";
}

// <library_KIND> around its content, e.g. Library("effects", ...).
inline std::string Library(std::string_view kind, std::string_view content) {
    return "<library_" + std::string(kind) + ">" + std::string(content) + "</library_" + std::string(kind) + ">";
}

inline std::string Geometries(std::string_view geometries) { return Library("geometries", geometries); }

// The visual scene of the given nodes.
inline std::string SceneWith(std::string_view nodes) {
    return "<library_visual_scenes><visual_scene id=\"Scene\">" + std::string(nodes) +
           "</visual_scene></library_visual_scenes>";
}

// A document with the given geometries and a scene without nodes, enough for LoadFromFile to succeed.
inline std::string GeometryDocument(std::string_view geometries) {
    return Collada(Geometries(geometries) + SceneWith(""));
}

inline std::string Mesh(std::string_view name, std::string_view content) {
    return "<geometry id=\"" + std::string(name) + "\" name=\"" + std::string(name) + "\"><mesh>" +
           std::string(content) + "</mesh></geometry>";
}

// A <source> around the given content, for a test whose <float_array> is its own.
inline std::string Source(std::string_view id, std::string_view content) {
    return "<source id=\"" + std::string(id) + "\">" + std::string(content) + "</source>";
}

inline std::string Source(std::string_view id, std::size_t count, std::string_view values) {
    return Source(id, "<float_array id=\"" + std::string(id) + "-array\" count=\"" + std::to_string(count) + "\">" +
                          std::string(values) + "</float_array>");
}

// A <triangles> or <lines> element with the given number of inputs (all offsets distinct) and <p> text; the
// inputs beyond the streams a document can give are tangents.
inline std::string Primitive(std::string_view kind, int count, int inputs, std::string_view p) {
    std::string text = "<" + std::string(kind) + " count=\"" + std::to_string(count) + "\">";
    for (int i = 0; i < inputs; ++i) {
        const auto slot = static_cast<std::size_t>(i);
        const std::string_view semantic =
            slot < StreamConventions.size() ? StreamConventions[slot].Semantic : std::string_view("TEXTANGENT");
        text += "<input semantic=\"" + std::string(semantic) + "\" source=\"#s" + std::to_string(i) + "\" offset=\"" +
                std::to_string(i) + "\"/>";
    }
    return text + "<p>" + std::string(p) + "</p></" + std::string(kind) + ">";
}

inline std::string Effect(std::string_view name, std::string_view profileContent) {
    return "<effect id=\"" + std::string(name) + "\" name=\"" + std::string(name) + "\"><profile_COMMON>" +
           std::string(profileContent) + "</profile_COMMON></effect>";
}

// The parameter that makes an effect's surface from the named image.
inline std::string SurfaceParam(std::string_view image) {
    return "<newparam sid=\"s\"><surface type=\"2D\"><init_from>" + std::string(image) +
           "</init_from></surface></newparam>";
}

inline std::string Image(std::string_view name, std::string_view file) {
    return "<image id=\"" + std::string(name) + "\" name=\"" + std::string(name) + "\"><init_from>" +
           std::string(file) + "</init_from></image>";
}

inline std::string Node(std::string_view name, std::string_view content) {
    return "<node name=\"" + std::string(name) + "\">" + std::string(content) + "</node>";
}

// A node's placement as the loader reads it: translate, then the rotations about z, y and x, then scale. The
// rotation holds the degrees about x, y and z, in that order.
inline std::string Placement(const float (&position)[3], const float (&rotation)[3], const float (&scale)[3]) {
    std::ostringstream out;
    out << "<translate>" << position[0] << ' ' << position[1] << ' ' << position[2] << "</translate><rotate>0 0 1 "
        << rotation[2] << "</rotate><rotate>0 1 0 " << rotation[1] << "</rotate><rotate>1 0 0 " << rotation[0]
        << "</rotate><scale>" << scale[0] << ' ' << scale[1] << ' ' << scale[2] << "</scale>";
    return out.str();
}

// An instance of the geometry at url, bound to the material symbol when there is one.
inline std::string InstanceGeometry(std::string_view url, std::string_view symbol = "") {
    const std::string open = "<instance_geometry url=\"" + std::string(url) + "\"";
    if (symbol.empty()) return open + "/>";
    return open + "><bind_material><technique_common><instance_material symbol=\"" + std::string(symbol) +
           "\"/></technique_common></bind_material></instance_geometry>";
}

// A node with every part of a placement, none of them trivial, instancing the geometry at url.
inline std::string PlacedNode(std::string_view name, std::string_view url, std::string_view symbol = "") {
    return Node(name, Placement({1, 2, 3}, {10, 20, 30}, {1, 1, 1}) + InstanceGeometry(url, symbol));
}

// Elements of one name, each inside the one before, depth deep: for readers that must not recurse that far.
inline std::string Nested(std::string_view element, int depth) {
    std::string text;
    text.reserve(static_cast<std::size_t>(depth) * (2 * element.size() + 5));
    for (int i = 0; i < depth; ++i) text += "<" + std::string(element) + ">";
    for (int i = 0; i < depth; ++i) text += "</" + std::string(element) + ">";
    return text;
}
