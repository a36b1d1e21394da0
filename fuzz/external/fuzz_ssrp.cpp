// The answer parser of the SQL Server discovery: any datagram from the
// network gives only well-formed instances, each once.
#include "ssrp.h"

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray datagram(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TSsrpCollector collector;
    collector.Add(datagram);
    collector.Add(datagram);  // the same answer twice adds nothing
    const auto once = ParseSsrpAnswer(datagram);
    QSet<QString> names;
    for (const TSqlInstance& i : once) names.insert(i.Name().toLower());
    if (collector.Instances().size() != std::min<std::size_t>(names.size(), TSsrpCollector::kMaxInstances)) std::abort();
    for (const TSqlInstance& i : collector.Instances())
        if (i.Server.isEmpty() || i.Instance.isEmpty() || i.Server.contains(u'\\') || i.TcpPort < 0 || i.TcpPort > 65535)
            std::abort();
    return 0;
}
