target_sources(korvan_base PRIVATE html_blocks.cpp tag_pieces.cpp)
