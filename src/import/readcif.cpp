// mmCIF (PDBx), the Protein Data Bank's standard format, read through gemmi:
// the chosen model (the first by default), the first alternate location of
// each residue, and the disulfide and covalent links of _struct_conn as
// bonds, as CONECT records give them in PDB files. Bonds are also found
// from distances. gemmi parses the whole text at once, so this reader holds
// the file in memory, unlike the line readers.
//
// A small-molecule CIF (a crystal structure: fractional coordinates, a cell
// and its symmetry) becomes the content of one unit cell: every site and its
// symmetry images, moved into the cell.
#include "readers.h"

#include <cmath>
#include <exception>
#include <map>

// gemmi formats numbers through a bundled stb_sprintf that Debian leaves
// out; the C library's snprintf serves (gemmi prints nothing we read).
#define USE_STD_SNPRINTF
#include <gemmi/cif.hpp>
#include <gemmi/mmcif.hpp>
#include <gemmi/smcif.hpp>

#include "elements.h"
#include "text.h"

namespace importer {

namespace {

std::string atomkey(const std::string &chain, const gemmi::ResidueId &r, const std::string &atom)
{
    return chain + "|" + std::to_string(r.seqid.num.value) + r.seqid.icode + "|" + r.name + "|" + atom;
}

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
    for (size_t k = 0; k < sites.size(); k++) {
        const gemmi::SmallStructure::Site &site = sites[k];
        gemmi::Fractional f = site.fract;
        f.x -= std::floor(f.x);
        f.y -= std::floor(f.y);
        f.z -= std::floor(f.z);
        // An image that lands on an atom of its element once moved into the
        // cell (a site on a special position, at a cell face, or a file that
        // lists the whole cell besides its symmetry) is that atom again.
        bool again = false;
        for (size_t j = 0; j < placed.size() && !again; j++) {
            if (sites[of[j]].element != site.element)
                continue;
            gemmi::Fractional d(f.x - placed[j].x, f.y - placed[j].y, f.z - placed[j].z);
            d.x -= std::round(d.x);
            d.y -= std::round(d.y);
            d.z -= std::round(d.z);
            again = st.cell.orthogonalize_difference(d).length() < 0.4;
        }
        if (again)
            continue;
        placed.push_back(f);
        of.push_back(k);
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
        gemmi::cif::Document doc = gemmi::cif::read_memory(text.data(), text.size(), in.name().c_str());
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
    }
    std::map<std::string, int> byaddress; // kept atoms only
    for (const gemmi::Chain &ch : model->chains)
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
                    return fail(p, "coordinate out of range",
                                in.name() + ": atom " + std::to_string(at.serial));
                // gemmi gives X for a type symbol that names no element.
                atomsite site;
                site.chain = ch.name;
                site.residue = r.name;
                site.number = r.seqid.num.has_value() ? r.seqid.num.value : 0;
                site.icode = r.seqid.icode;
                site.het = r.het_flag == 'H';
                site.atom = at.name;
                int k = c.add(a, readsymbol(at.element.name()), site);
                if (k >= 0)
                    byaddress.emplace(atomkey(ch.name, r, at.name), k);
            }
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
