#include "TestImages.h"
#include "core/operators/Operator.h"
#include "core/operators/OperatorFactory.h"

#include <gtest/gtest.h>
#include <vector>

using Velvor::Image;

// Every operator that reads inputs refuses what does not fit and keeps its image; inputsFit, which
// the node and the planner ask as well, says the same.
TEST(OperatorInputsTest, InputsThatDoNotFitLeaveTheImageAsItWas) {
    const Image fits = randomImage(4, 3, 1);
    const Image narrower = randomImage(3, 3, 2);
    const Image shorter = randomImage(4, 2, 3);
    for (const Velvor::OperatorType type :
         {Velvor::OperatorType::Mixer, Velvor::OperatorType::Displacement, Velvor::OperatorType::NormalMap}) {
        const auto op = Velvor::createOperator(static_cast<int>(type), 4, 3);
        SCOPED_TRACE(op->getTypeId());
        op->getImage().fill(0x11223344u);
        const auto ports = static_cast<std::size_t>(op->getNumInputs());

        const std::vector<const Image*> good(ports, &fits);
        EXPECT_TRUE(Velvor::inputsFit(*op, good));
        EXPECT_FALSE(Velvor::inputsFit(*op, std::vector<const Image*>(ports - 1, &fits)));
        EXPECT_FALSE(Velvor::inputsFit(*op, std::vector<const Image*>(ports + 1, &fits)));
        std::vector<std::vector<const Image*>> refused;
        for (const Image* wrong : {static_cast<const Image*>(nullptr), &narrower, &shorter}) {
            for (std::size_t port = 0; port < ports; ++port) {
                refused.push_back(good);
                refused.back()[port] = wrong;
            }
        }
        for (const std::vector<const Image*>& inputs : refused) {
            EXPECT_FALSE(Velvor::inputsFit(*op, inputs));
            op->generate(inputs.data());
        }
        op->generate(nullptr);
        EXPECT_EQ(pixelsOf(op->getImage()), std::vector<Velvor::Pixel>(12, 0x11223344u));
    }
}
