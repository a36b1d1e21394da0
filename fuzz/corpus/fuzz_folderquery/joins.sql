SELECT t.ID FROM "towary.dbf" AS t LEFT JOIN 'CENY.DB' c ON c.ID=t.ID, [Kody] k, KODY.DBF JOIN x.y ON 1 -- FROM comment
/* FROM hidden */