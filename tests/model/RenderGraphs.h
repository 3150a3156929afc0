#pragma once

// Small materials for the rendering tests, written as tables, and the comparisons they share.

#include "model/Material.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

VisualNode& addOfType(Material& material, int typeId, Point size, const std::string& name);

struct NodeSpec {
    int typeId;
    const char* name;
};

struct CableSpec {
    const char* from;
    const char* to;
    int port; // input port of `to`
};

using NodeTable = std::initializer_list<NodeSpec>;
using CableTable = std::initializer_list<CableSpec>;

// Appends the nodes, all of one size, in table order, then connects the cables in table order (the
// last one is the newest, rendered first).
class Graph {
public:
    Graph(Material& material, Point size, NodeTable nodes, CableTable cables);
    VisualNode& operator[](const std::string& name) const { return *nodes_.at(name); }

private:
    std::map<std::string, VisualNode*> nodes_;
};

// What an incremental render must come to: the image a first render gives the node of that name in a
// fresh material built from the tables, after `edit`.
void expectAsRenderedFresh(const VisualNode& node, Point size, NodeTable nodes, CableTable cables,
                           const std::function<void(Material&, Graph&)>& edit);

// Tiny graphs of 4 x 4 nodes: one or two collectors, then two to seven mixers, displacements, normal
// maps and checkerboards wired at random, cycles included; about half the nodes start clean.
void buildSmallRandom(Material& material, unsigned seed);

// Same dirty flags and pixels, node by node.
void expectSameNodes(const Material& mine, const Material& reference);
