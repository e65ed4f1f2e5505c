# The formats kestrix-import reads, in the one place the package texts take
# them from: the Debian package's description, its changelog and the Windows
# readme. The Windows programs read no CML (no XML library is built for
# them). The package tests (tests/package) hold these names to what
# `kestrix-import --help` says.
#   KESTRIX_IMPORT_FORMATS           "XYZ, PDB, mmCIF, MOL/SDF, MOL2 and CML"
#   KESTRIX_IMPORT_FORMATS_LIST      one line each, with the suffixes, indented
set(formats "XYZ" "PDB" "mmCIF" "MOL/SDF" "MOL2")
set(suffixes "XYZ       .xyz" "PDB       .pdb, .ent" "mmCIF     .cif, .mmcif" "MOL/SDF   .mol, .sdf, .sd"
  "MOL2      .mol2")
if(NOT MINGW)
  list(APPEND formats "CML")
  list(APPEND suffixes "CML       .cml")
endif()

# kestrix_join(VAR ITEM...): "a, b and c".
function(kestrix_join var)
  set(items ${ARGN})
  list(POP_BACK items last)
  list(JOIN items ", " text)
  set(${var} "${text} and ${last}" PARENT_SCOPE)
endfunction()
kestrix_join(KESTRIX_IMPORT_FORMATS ${formats})
list(TRANSFORM suffixes PREPEND "  ")
list(JOIN suffixes "\n" KESTRIX_IMPORT_FORMATS_LIST)
unset(formats)
unset(suffixes)
