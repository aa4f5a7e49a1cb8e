// Palette reduction: exact colours where they fit, else pinned flat colours plus weighted k-means.
#include "palette.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <unordered_map>

namespace {

struct Entry {
    uint32_t colour;
    long count;
};

// Green weighs most and blue least, roughly as the eye sees differences.
long distance2(uint32_t a, uint32_t b)
{
    long dr = (long)((a >> 16) & 0xFF) - (long)((b >> 16) & 0xFF);
    long dg = (long)((a >> 8) & 0xFF) - (long)((b >> 8) & 0xFF);
    long db = (long)(a & 0xFF) - (long)(b & 0xFF);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

size_t nearest(const std::vector<uint32_t> &palette, uint32_t colour)
{
    size_t best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < palette.size(); ++i) {
        long d = distance2(palette[i], colour);
        if (bestDistance < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

std::vector<Entry> histogram(const Image &image)
{
    std::unordered_map<uint32_t, long> counts;
    for (uint32_t p : image.pixels)
        ++counts[p];
    std::vector<Entry> entries;
    for (const auto &c : counts)
        entries.push_back({c.first, c.second});
    // Most frequent first; ties by colour, so that the result never depends on hashing.
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.count != b.count ? a.count > b.count : a.colour < b.colour;
    });
    return entries;
}

std::vector<uint32_t> clusterPalette(const std::vector<Entry> &entries, long total, size_t maxColours)
{
    std::vector<uint32_t> palette;
    size_t pinned = 0;
    // A colour covering at least 1/200 of the picture is a fill, not an edge: keep it exact.
    while (pinned < entries.size() && pinned < maxColours / 2 && entries[pinned].count * 200 >= total)
        palette.push_back(entries[pinned++].colour);
    if (palette.empty())
        palette.push_back(entries[pinned++].colour);
    // Fill the free slots far from what is there, weighted by how many pixels would gain.
    while (palette.size() < maxColours) {
        long bestScore = 0;
        size_t best = 0;
        for (size_t i = 0; i < entries.size(); ++i) {
            long score = entries[i].count * distance2(entries[i].colour, palette[nearest(palette, entries[i].colour)]);
            if (score > bestScore) {
                bestScore = score;
                best = i;
            }
        }
        if (bestScore == 0)
            break;
        palette.push_back(entries[best].colour);
    }
    for (int iteration = 0; iteration < 12; ++iteration) {
        std::vector<double> sumR(palette.size()), sumG(palette.size()), sumB(palette.size()), weight(palette.size());
        for (const Entry &e : entries) {
            size_t i = nearest(palette, e.colour);
            sumR[i] += (double)((e.colour >> 16) & 0xFF) * e.count;
            sumG[i] += (double)((e.colour >> 8) & 0xFF) * e.count;
            sumB[i] += (double)(e.colour & 0xFF) * e.count;
            weight[i] += (double)e.count;
        }
        bool moved = false;
        for (size_t i = pinned; i < palette.size(); ++i) {
            if (weight[i] == 0)
                continue;
            uint32_t mean = (uint32_t)std::lround(sumR[i] / weight[i]) << 16 |
                            (uint32_t)std::lround(sumG[i] / weight[i]) << 8 |
                            (uint32_t)std::lround(sumB[i] / weight[i]);
            moved = moved || mean != palette[i];
            palette[i] = mean;
        }
        if (!moved)
            break;
    }
    return palette;
}

} // namespace

Indexed quantise(const Image &image, int maxColours)
{
    Indexed out;
    out.width = image.width;
    out.height = image.height;
    std::vector<Entry> entries = histogram(image);
    if (entries.size() <= (size_t)maxColours) {
        for (const Entry &e : entries)
            out.palette.push_back(e.colour);
    } else {
        out.palette = clusterPalette(entries, (long)image.pixels.size(), (size_t)maxColours);
    }
    std::unordered_map<uint32_t, uint8_t> lookup;
    for (const Entry &e : entries)
        lookup[e.colour] = (uint8_t)nearest(out.palette, e.colour);
    out.indices.reserve(image.pixels.size());
    for (uint32_t p : image.pixels)
        out.indices.push_back(lookup[p]);
    return out;
}

Image expand(const Indexed &indexed)
{
    Image image(indexed.width, indexed.height, 0);
    for (size_t i = 0; i < indexed.indices.size(); ++i)
        image.pixels[i] = indexed.palette[indexed.indices[i]];
    return image;
}

double meanColourError(const Image &a, const Image &b)
{
    double sum = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i) {
        double dr = (double)((a.pixels[i] >> 16) & 0xFF) - ((b.pixels[i] >> 16) & 0xFF);
        double dg = (double)((a.pixels[i] >> 8) & 0xFF) - ((b.pixels[i] >> 8) & 0xFF);
        double db = (double)(a.pixels[i] & 0xFF) - (b.pixels[i] & 0xFF);
        sum += std::sqrt(dr * dr + dg * dg + db * db);
    }
    return a.pixels.empty() ? 0 : sum / (double)a.pixels.size();
}
