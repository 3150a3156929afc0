#include "RenderGraphs.h"

#include "base/Progress.h"
#include "model/NodeType.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>

VisualNode& addOfType(Material& material, int typeId, Point size, const std::string& name) {
    return material.addNode(name, *findNodeType(typeId), size);
}

Graph::Graph(Material& material, Point size, NodeTable nodes, CableTable cables) {
    for (const NodeSpec& node : nodes) {
        nodes_[node.name] = &addOfType(material, node.typeId, size, node.name);
    }
    for (const CableSpec& cable : cables) {
        EXPECT_NE(material.connect((*this)[cable.from], -1, (*this)[cable.to], cable.port), nullptr)
            << cable.from << " -> " << cable.to;
    }
}

void expectAsRenderedFresh(const VisualNode& node, Point size, NodeTable nodes, CableTable cables,
                           const std::function<void(Material&, Graph&)>& edit) {
    Material fresh(Material::Empty{});
    Graph graph(fresh, size, nodes, cables);
    edit(fresh, graph);
    VisualNode& twin = graph[node.getName()];
    NullProgress quiet;
    fresh.renderCollector(twin, quiet);
    const Velvor::Image& mine = node.getOperator().getImage();
    const Velvor::Image& expected = twin.getOperator().getImage();
    ASSERT_TRUE(mine.sameSizeAs(expected));
    EXPECT_EQ(0, std::memcmp(mine.getPixels(), expected.getPixels(),
                             static_cast<std::size_t>(mine.getPixelCount()) * 4));
}

void buildSmallRandom(Material& material, unsigned seed) {
    std::mt19937 random(seed);
    material.clear();
    const int types[] = {1, 2, 2, 4, 6, 6};
    const int collectors = 1 + static_cast<int>(random() % 2);
    const int operators = 2 + static_cast<int>(random() % 6);
    for (int i = 0; i < collectors + operators; ++i) {
        std::string name = "n";
        name += std::to_string(i);
        addOfType(material, i < collectors ? 0 : types[random() % 6], {4, 4}, name);
    }
    const int attempts = static_cast<int>(random() % 16);
    for (int i = 0; i < attempts; ++i) {
        VisualNode& from = material.getNode(collectors + random() % operators);
        VisualNode& to = material.getNode(random() % material.getNodeCount());
        material.connect(from, -1, to, static_cast<int>(random() % 2));
    }
    for (std::size_t i = 0; i < material.getNodeCount(); ++i) {
        if (random() % 2 == 0) {
            material.getNode(i).update();
        }
    }
}

void expectSameNodes(const Material& mine, const Material& reference) {
    for (std::size_t i = 0; i < mine.getNodeCount(); ++i) {
        SCOPED_TRACE(mine.getNode(i).getName());
        const Velvor::Image& a = mine.getNode(i).getOperator().getImage();
        const Velvor::Image& b = reference.getNode(i).getOperator().getImage();
        EXPECT_EQ(mine.getNode(i).isDirty(), reference.getNode(i).isDirty());
        EXPECT_EQ(0,
                  std::memcmp(a.getPixels(), b.getPixels(), static_cast<std::size_t>(a.getPixelCount()) * 4));
    }
}
