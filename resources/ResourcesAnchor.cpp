// The resource library carries only compiled-in data; this unit gives it a translation unit of
// its own so that every toolchain accepts it as a library.
namespace quillory_resources_anchor {
int unused = 0;
}
