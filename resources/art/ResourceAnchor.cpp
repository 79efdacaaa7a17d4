// Gives the picture library an object file of its own; the pictures come in through the
// resource objects that the build attaches to it.
namespace orb_art {
int Anchor() {
    return 0;
}
}  // namespace orb_art
