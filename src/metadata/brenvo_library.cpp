// The shared library libbrenvo_taglib.so is the internal static library linked
// whole; this translation unit exists only so that the target has a source.
