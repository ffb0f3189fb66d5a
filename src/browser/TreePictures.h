#pragma once
namespace browser {

class Image_List;

// Draws the catalogue tree's pictures into the image list: three without a key (closed folder,
// open folder, plain folder; the tree addresses them as "1", "2", "3"), then one per key of
// Catalogue_Tree::Picture_Keys().
void Add_Tree_Pictures(Image_List& images);

} // namespace browser
