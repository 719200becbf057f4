// The compiled-in resources live in this library; this file gives the
// library an object of its own so that it links everywhere.
namespace velunar {
int ResourcesLinked() { return 1; }
}  // namespace velunar
