// mmCIF (PDBx), the Protein Data Bank's standard format, read through gemmi:
// the chosen model (the first by default), the first alternate location of
// each residue, and the disulfide and covalent links of _struct_conn as
// bonds, as CONECT records give them in PDB files. Bonds are also found
// from distances. gemmi parses the whole text at once, so this reader holds
// the file in memory, unlike the line readers.
//
// A small-molecule CIF (a crystal structure: fractional coordinates, a cell
// and its symmetry) becomes the content of one unit cell: every site and its
// symmetry images, moved into the cell, and then each molecule made whole
// across the cell's faces (crystal.h).
#include "import/readers.h"

#include <cmath>
#include <exception>
#include <map>
#include <unordered_map>
#include <vector>

// gemmi formats numbers through a bundled stb_sprintf that Debian leaves
// out; the C library's snprintf serves (gemmi prints nothing we read).
#define USE_STD_SNPRINTF
#include <gemmi/cif.hpp>
#include <gemmi/mmcif.hpp>
#include <gemmi/smcif.hpp>

#include "import/crystal.h"
#include "import/elements.h"
#include "import/text.h"

namespace importer {

namespace {

std::string atomkey(const std::string &chain, const gemmi::ResidueId &r, const std::string &atom)
{
    return chain + "|" + std::to_string(r.seqid.num.value) + r.seqid.icode + "|" + r.name + "|" + atom;
}

// Images closer than this (in Å) are one atom.
const double SAMEPLACE = 0.4;

// The placed images of a unit cell by where they stand, in cells of the
// fractional coordinates each at least SAMEPLACE wide (a fractional step of
// 1/n along an axis moves a point at least 1/(n·a*) Å away), so that every
// image closer than that to a point is in the point's cell or the 26 around
// it, the cell's faces wrapping round: the images are compared with their
// neighbours only, not with each other.
class imagegrid {
public:
    explicit imagegrid(const gemmi::UnitCell &cell)
    {
        const double recip[3] = {cell.ar, cell.br, cell.cr};
        for (int i = 0; i < 3; i++) {
            double width = SAMEPLACE * recip[i]; // fractional width of SAMEPLACE along axis i
            if (!(width > 0) || width >= 1)
                n_[i] = 1;
            else
                n_[i] = width < 1.0 / MAXCELLS ? MAXCELLS : static_cast<int>(1.0 / width);
        }
    }
    void add(const gemmi::Fractional &f, size_t index)
    {
        cells_[key(cellof(f, 0), cellof(f, 1), cellof(f, 2))].push_back(index);
    }
    template <class Visit>
    void around(const gemmi::Fractional &f, Visit visit) const
    {
        int c[3] = {cellof(f, 0), cellof(f, 1), cellof(f, 2)};
        // An axis of fewer than three cells has each neighbour once.
        int lo[3], hi[3];
        for (int i = 0; i < 3; i++) {
            lo[i] = n_[i] < 3 ? 0 : -1;
            hi[i] = n_[i] < 3 ? n_[i] - 1 : 1;
        }
        for (int dx = lo[0]; dx <= hi[0]; dx++)
            for (int dy = lo[1]; dy <= hi[1]; dy++)
                for (int dz = lo[2]; dz <= hi[2]; dz++) {
                    int x = n_[0] < 3 ? dx : wrap(c[0] + dx, 0), y = n_[1] < 3 ? dy : wrap(c[1] + dy, 1),
                        z = n_[2] < 3 ? dz : wrap(c[2] + dz, 2);
                    auto it = cells_.find(key(x, y, z));
                    if (it != cells_.end())
                        for (size_t j : it->second)
                            visit(j);
                }
    }

private:
    // Cells per axis at most: a long axis gets wider cells (more images
    // each), never more memory.
    static const int MAXCELLS = 256;
    int cellof(const gemmi::Fractional &f, int axis) const
    {
        double v = (axis == 0 ? f.x : axis == 1 ? f.y : f.z) * n_[axis];
        // Not a number (a coordinate the check after refuses) is cell 0.
        if (!(v >= 0))
            return 0;
        return v >= n_[axis] ? n_[axis] - 1 : static_cast<int>(v);
    }
    int wrap(int c, int axis) const { return (c + n_[axis]) % n_[axis]; }
    long key(int x, int y, int z) const { return (static_cast<long>(x) * n_[1] + y) * n_[2] + z; }
    int n_[3] = {1, 1, 1};
    std::unordered_map<long, std::vector<size_t>> cells_;
};

// The unit cell's content of a crystal structure.
int readcrystal(const linesource &in, const gemmi::SmallStructure &st, collector &c, problem &p)
{
    if (c.chosen().model > 1)
        return fail(p, "no such model", in.name() + " has one model, a crystal's unit cell");
    if (!st.cell.is_crystal())
        return fail(p, "no atoms",
                    in.name() + ": fractional coordinates, but no unit cell (_cell_length_a ...)");
    std::vector<gemmi::SmallStructure::Site> sites = st.get_all_unit_cell_sites();
    if (sites.empty())
        return fail(p, "no atoms", in.name() + ": the _atom_site table is empty");
    std::vector<gemmi::Fractional> placed;
    std::vector<size_t> of; // the site each placed image belongs to
    imagegrid grid(st.cell);
    for (size_t k = 0; k < sites.size(); k++) {
        const gemmi::SmallStructure::Site &site = sites[k];
        gemmi::Fractional f = site.fract;
        f.x -= std::floor(f.x);
        f.y -= std::floor(f.y);
        f.z -= std::floor(f.z);
        // An image that lands on an atom of its element once moved into the
        // cell (a site on a special position, at a cell face, or a file that
        // lists the whole cell besides its symmetry) is that atom again.
        // Only the placed images in the grid's cells around it can be.
        bool again = false;
        grid.around(f, [&](size_t j) {
            if (again || sites[of[j]].element != site.element)
                return;
            gemmi::Fractional d(f.x - placed[j].x, f.y - placed[j].y, f.z - placed[j].z);
            d.x -= std::round(d.x);
            d.y -= std::round(d.y);
            d.z -= std::round(d.z);
            again = st.cell.orthogonalize_difference(d).length() < SAMEPLACE;
        });
        if (again)
            continue;
        grid.add(f, placed.size());
        placed.push_back(f);
        of.push_back(k);
    }
    // Each molecule made whole across the cell's faces; dummy atoms take
    // no part in its bonds.
    std::vector<inatom> bonding;
    std::vector<std::array<double, 3>> bondingfract;
    std::vector<size_t> bondingof;
    for (size_t i = 0; i < placed.size(); i++) {
        symbolread e = readsymbol(sites[of[i]].element.name());
        gemmi::Position pos = st.cell.orthogonalize(placed[i]);
        if (e.kind != symbolread::ELEMENT || !std::isfinite(pos.x) || !std::isfinite(pos.y) ||
            !std::isfinite(pos.z))
            continue;
        inatom a;
        a.element = e.z;
        a.x = pos.x;
        a.y = pos.y;
        a.z = pos.z;
        a.altloc = sites[of[i]].occ < 1.0 ? 'a' : ' ';
        bonding.push_back(a);
        bondingfract.push_back({placed[i].x, placed[i].y, placed[i].z});
        bondingof.push_back(i);
    }
    cellaxes axes;
    for (int axis = 0; axis < 3; axis++) {
        gemmi::Position v = st.cell.orthogonalize(
            gemmi::Fractional(axis == 0 ? 1.0 : 0.0, axis == 1 ? 1.0 : 0.0, axis == 2 ? 1.0 : 0.0));
        axes[static_cast<size_t>(axis)] = {v.x, v.y, v.z};
    }
    std::vector<cellshift> moved(placed.size(), cellshift{0, 0, 0});
    std::vector<cellshift> shifts = wholemolecules(bonding, bondingfract, axes);
    for (size_t k = 0; k < shifts.size(); k++)
        moved[bondingof[k]] = shifts[k];
    for (size_t i = 0; i < placed.size(); i++) {
        const gemmi::SmallStructure::Site &site = sites[of[i]];
        gemmi::Fractional f(placed[i].x + moved[i][0], placed[i].y + moved[i][1], placed[i].z + moved[i][2]);
        gemmi::Position pos = st.cell.orthogonalize(f);
        inatom a;
        a.x = pos.x;
        a.y = pos.y;
        a.z = pos.z;
        // A site not fully occupied is one of a disorder's alternatives,
        // which may stand close to another.
        a.altloc = site.occ < 1.0 ? 'a' : ' ';
        if (!coordinatesok(a))
            return fail(p, "coordinate out of range", in.name() + ": site " + site.label);
        c.add(a, readsymbol(site.element.name()), "", "");
    }
    c.molecule().perceive = 1;
    return 1;
}

// The atoms of one model: the first alternate location of each atom; its
// kept atoms by address into byaddress, when given, for the bonds.
int addmodel(const gemmi::Model &model, collector &c, const std::string &name,
             std::map<std::string, int> *byaddress, problem &p)
{
    for (const gemmi::Chain &ch : model.chains)
        for (const gemmi::Residue &r : ch.residues) {
            char first = '\0';
            for (const gemmi::Atom &at : r.atoms) {
                if (at.altloc != '\0') {
                    if (first == '\0')
                        first = at.altloc;
                    else if (at.altloc != first)
                        continue;
                }
                inatom a;
                a.x = at.pos.x;
                a.y = at.pos.y;
                a.z = at.pos.z;
                a.altloc = at.altloc ? at.altloc : ' ';
                if (!coordinatesok(a))
                    return fail(p, "coordinate out of range", name + ": atom " + std::to_string(at.serial));
                // gemmi gives X for a type symbol that names no element.
                atomsite site;
                site.chain = ch.name;
                site.residue = r.name;
                site.number = r.seqid.num.has_value() ? r.seqid.num.value : 0;
                site.icode = r.seqid.icode;
                site.het = r.het_flag == 'H';
                site.atom = at.name;
                int k = c.add(a, readsymbol(at.element.name()), site);
                if (k >= 0 && byaddress)
                    byaddress->emplace(atomkey(ch.name, r, at.name), k);
            }
        }
    return 1;
}

} // namespace

int readCIF(linesource &in, collector &c, problem &p)
{
    inmolecule &m = c.molecule();
    m.perceive = 1;
    std::string text;
    if (!in.rest(text))
        return sourceok(in, p);
    gemmi::Structure st;
    // _struct_conn.pdbx_value_order by the connection's id, which gemmi
    // keeps as the connection's name.
    std::map<std::string, bondorder> orders;
    try {
        // The first data block only, which is all that is read: the whole
        // file's parse grows with the square of its blocks (200,000 empty
        // ones took seconds), and what follows the first is never looked at.
        gemmi::cif::Document doc;
        doc.source = in.name();
        gemmi::cif::parse_one_block(doc,
                                    gemmi::cif::pegtl::memory_input<>(text.data(), text.size(), in.name()));
        gemmi::cif::check_for_missing_values(doc);
        gemmi::cif::check_for_duplicates(doc);
        std::string().swap(text);
        if (!doc.blocks.empty() && !doc.blocks[0].has_tag("_atom_site.Cartn_x") &&
            (doc.blocks[0].has_tag("_atom_site_fract_x") || doc.blocks[0].has_tag("_atom_site.fract_x")))
            return readcrystal(in, gemmi::make_small_structure_from_block(doc.blocks[0]), c, p);
        if (doc.blocks.empty() || !doc.blocks[0].has_tag("_atom_site.Cartn_x"))
            return fail(p, "no atoms",
                        in.name() +
                            ": no _atom_site table with Cartesian coordinates (Cartn_x, "
                            "Cartn_y, Cartn_z) or fractional ones (fract_x, fract_y, fract_z)");
        st = gemmi::make_structure_from_block(doc.blocks[0]);
        for (const auto row : doc.blocks[0].find("_struct_conn.", {"id", "pdbx_value_order"})) {
            std::string v = row.str(1);
            if (v == "doub")
                orders[row.str(0)] = ORDER_DOUBLE;
            else if (v == "trip")
                orders[row.str(0)] = ORDER_TRIPLE;
        }
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &e) {
        // gemmi's parser names the file and the line; its other messages
        // name neither.
        std::string what = e.what();
        if (what.compare(0, in.name().size(), in.name()) != 0)
            what = in.name() + ": " + what;
        return fail(p, "malformed file", what);
    }
    if (st.models.empty())
        return fail(p, "no atoms",
                    in.name() +
                        ": the _atom_site table is empty or lacks a column it needs (id, "
                        "type_symbol, label_alt_id, label_asym_id, auth_seq_id, Cartn_x, Cartn_y, "
                        "Cartn_z, occupancy, B_iso_or_equiv)");
    const long want = c.chosen().model;
    const gemmi::Model *model = &st.models[0];
    if (want > 0) {
        model = nullptr;
        for (const gemmi::Model &mo : st.models)
            if (mo.name == std::to_string(want))
                model = &mo;
        if (!model)
            return fail(p, "no such model",
                        in.name() + " has no model " + std::to_string(want) + " (its " +
                            std::to_string(st.models.size()) + " models are numbered " +
                            st.models.front().name + " to " + st.models.back().name + ")");
    } else {
        // Without --model every model is a frame (an NMR ensemble, a
        // trajectory), as --frames takes them: the first taken gives the
        // atoms.
        model = nullptr;
        for (size_t k = 0; k < st.models.size() && !model; k++)
            if (c.frame(static_cast<long>(k) + 1))
                model = &st.models[k];
        if (!model)
            return fail(p, "no such frame",
                        in.name() + " has " + std::to_string(st.models.size()) +
                            (st.models.size() == 1 ? " model" : " models"));
    }
    std::map<std::string, int> byaddress; // kept atoms only
    if (!addmodel(*model, c, in.name(), &byaddress, p))
        return 0;
    if (want == 0)
        for (size_t k = static_cast<size_t>(model - &st.models[0]) + 1; k < st.models.size(); k++) {
            if (!c.frame(static_cast<long>(k) + 1))
                continue;
            c.beginframe(static_cast<long>(k) + 1, 0);
            if (!addmodel(st.models[k], c, in.name(), nullptr, p) || !c.endframe(in.name(), 0, p))
                return 0;
        }
    for (const gemmi::Connection &conn : st.connections) {
        if (conn.type != gemmi::Connection::Covale && conn.type != gemmi::Connection::Disulf)
            continue;
        auto a =
            byaddress.find(atomkey(conn.partner1.chain_name, conn.partner1.res_id, conn.partner1.atom_name));
        auto b =
            byaddress.find(atomkey(conn.partner2.chain_name, conn.partner2.res_id, conn.partner2.atom_name));
        auto o = orders.find(conn.name);
        if (a != byaddress.end() && b != byaddress.end())
            c.bond(a->second, b->second, o == orders.end() ? ORDER_SINGLE : o->second);
    }
    return 1;
}

} // namespace importer
