// Engine initialisation registers what loading templates and expressions need.
#include "core/engine_init.h"
#include "expr/functionlibrary.h"
#include "objects/viewfactory.h"

#include <gtest/gtest.h>

TEST(EngineInit, StoredObjectTypesAndFunctionsAreAvailable)
{
    InitTabellomatics();
    InitTabellomatics();  // repeated calls change nothing
    for (int type : {0, 1, 2, 6, 7, 50, 66}) {
        auto view = CreateView(type);
        EXPECT_NE(view, nullptr) << "type " << type;
    }
    EXPECT_FALSE(FunctionLibraries().empty());
}
