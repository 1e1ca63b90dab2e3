korvan_add_test(screens_test SOURCES screens_test.cpp LIBS korvan_app)
